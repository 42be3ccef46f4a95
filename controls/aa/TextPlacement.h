#pragma once
// Horizontal and vertical placement of a caption inside a control.

#include "platform/ui/Alignment.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
