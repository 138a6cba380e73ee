// The screen's mouse pointer as one state, normal or hourglass (not a stack of overrides).
#pragma once

enum class MousePointer { Default, Hourglass };

void SetMousePointer(MousePointer pointer);
MousePointer CurrentMousePointer();
