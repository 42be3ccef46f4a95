#pragma once
// Horizontal and vertical placement of a caption inside a control.

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
