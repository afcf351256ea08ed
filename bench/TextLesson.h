// A screencast lesson of real text at any size, for what reading its text
// costs: lines typed a letter a frame into a document with a blinking caret,
// the document scrolled now and then, and a dialog of settings opened and
// closed every two minutes. Needs a QGuiApplication.
#pragma once

#include <memory>

#include "SegInfo.h"

std::unique_ptr<SegInfo> MakeTextLesson(int width, int height, int frames);
