#pragma once
// The border of a control: bsNone or bsSingle, the form's values.

#include "platform/ui/Form.h"

using TBorderStyle = TFormBorderStyle;
