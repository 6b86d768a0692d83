#include "framework/Thread.h"

void RuntimeBackgroundTask() {}
