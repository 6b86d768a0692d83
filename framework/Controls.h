#pragma once
// The visible controls: text field, label, canvas and push button.
#include <memory>

#include "framework/Control.h"
#include "framework/Graphics.h"

struct RectControlPrivate;

class RectControl : public Control {
public:
    RectControl();
    ~RectControl() override;
    void Constructor() {}

    int32_t Left() const { return m_left; }
    int32_t Top() const { return m_top; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    bool LockLeft = false, LockTop = false, LockRight = false, LockBottom = false;
    bool Visible() const { return m_visible; }
    void SetVisible(bool v);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool v);
    int32_t TabIndex = 0;

    // The control's font; point sizes as the layouts give them, 0 meaning the system size.
    void SetTextFont(const String& name);
    void SetTextSize(int32_t points);
    void SetBold(bool v);
    void SetItalic(bool v);
    void SetUnderline(bool v);

    // Redraws the control; with eraseBackground at once, otherwise on the next frame.
    void Refresh(bool eraseBackground = true);

    const PropertyTable& Properties() const override;
    static const PropertyTable& RectControlProperties();

    void attach(Window& window) override;
    // Keeps the locked margins when the window's content resizes.
    void parentResized(int32_t oldWidth, int32_t oldHeight, int32_t newWidth, int32_t newHeight);
    RectControlPrivate& priv() const { return *m_priv; }

protected:
    std::unique_ptr<RectControlPrivate> m_priv;
    void applyGeometry();

private:
    int32_t m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = true, m_enabled = true;
};

class EditField : public RectControl {
public:
    EditField();
    std::string ClassName() const override { return "EditField"; }
    const PropertyTable& Properties() const override;

    String Text() const;
    void SetText(const String& text);
    // Character offsets from 0, clamped to the text; a negative start means 0.
    int32_t SelStart() const;
    void SetSelStart(int32_t v);
    int32_t SelLength() const;
    void SetSelLength(int32_t v);
    String SelText() const;
    void SetSelText(const String& text);
    // True when every selected character is bold (italic); with nothing selected,
    // the style of the character before the insertion point.
    bool SelBold() const;
    void SetSelBold(bool on);
    bool SelItalic() const;
    void SetSelItalic(bool on);
    double SelTextSize() const;
    void SetSelTextSize(double points);
    void SetScrollPosition(int32_t line);
    int32_t ScrollPosition() const;

    void SetReadOnly(bool v);
    bool ReadOnly() const;
    void SetTextColor(Color c);
    void SetBackColor(Color c);
    void SetBorder(bool v);
    void SetMultiline(bool v);
    void SetScrollbarHorizontal(bool v);
    void SetScrollbarVertical(bool v);
    void SetStyled(bool v);
    void SetUseFocusRing(bool v);
    void SetAlignment(int32_t v);
    void SetLimitText(int32_t v);
    void SetAcceptTabs(bool v);
    void SetPassword(bool v);
    bool Styled() const { return m_styled; }
    bool Multiline() const { return m_multiline; }
    bool AcceptTabs() const { return m_acceptTabs; }
    int32_t LimitText() const { return m_limitText; }

    // The KeyDown event: the key as a one-character string; True consumes it.
    bool raiseKeyDown(const String& key);

protected:
    std::map<std::string, std::string> Events() const override;

private:
    bool m_styled = false, m_multiline = true, m_acceptTabs = false;
    int32_t m_limitText = 0;
};

class StaticText : public RectControl {
public:
    StaticText();
    std::string ClassName() const override { return "StaticText"; }
    const PropertyTable& Properties() const override;

    String Text() const;
    void SetText(const String& text);
    void SetTextAlign(int32_t align);   // 0 left (the default), 1 centre, 2 right
    void SetTextColor(Color c);
    void SetMultiline(bool v);
};

class Canvas : public RectControl {
public:
    Canvas();
    std::string ClassName() const override { return "Canvas"; }
    const PropertyTable& Properties() const override;

    bool EraseBackground = true;
    bool AcceptFocus = false;

    void raisePaint(::Graphics& g);
    bool raiseMouseDown(int32_t x, int32_t y);

protected:
    std::map<std::string, std::string> Events() const override;
};

class PushButton : public RectControl {
public:
    PushButton();
    std::string ClassName() const override { return "PushButton"; }
    const PropertyTable& Properties() const override;

    String Caption() const;
    void SetCaption(const String& text);
    void SetDefault(bool v);
    bool IsDefault() const;
    void SetCancel(bool v);

    void raiseAction();
    // Presses the button as a click would.
    void Push();

protected:
    std::map<std::string, std::string> Events() const override;
};
