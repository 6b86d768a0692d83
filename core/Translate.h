#pragma once
// The translation thread: speaks a text one character at a time.
#include "framework/Thread.h"

class Translate : public Thread {
public:
    String Text;
    bool Cancelled = false;

    std::string ClassName() const override { return "Translate"; }
    const PropertyTable& Properties() const override;

    ThreadTask Event_Run() override;
};
