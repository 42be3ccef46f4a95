#include "imaging/views/vect/QkVObject.h"

#include "imaging/views/vect/QkVUserObject.h"

TQkVUserObjectHolder::TQkVUserObjectHolder() = default;
TQkVUserObjectHolder::TQkVUserObjectHolder(std::unique_ptr<TQkVUserObject> object) : object_(std::move(object)) {}
TQkVUserObjectHolder::~TQkVUserObjectHolder() = default;
TQkVUserObjectHolder::TQkVUserObjectHolder(const TQkVUserObjectHolder& other)
    : object_(other.object_ ? other.object_->Clone() : nullptr)
{}
TQkVUserObjectHolder& TQkVUserObjectHolder::operator=(const TQkVUserObjectHolder& other)
{
    if (this != &other)
        object_ = other.object_ ? other.object_->Clone() : nullptr;
    return *this;
}
TQkVUserObjectHolder::TQkVUserObjectHolder(TQkVUserObjectHolder&&) noexcept = default;
TQkVUserObjectHolder& TQkVUserObjectHolder::operator=(TQkVUserObjectHolder&&) noexcept = default;

bool KeepsCornerOrder(TQkVObjKind kind)
{
    return kind == qkvkLine || kind == qkvkRuler || kind == qkvkPolyline || kind == qkvkLabelLine;
}

bool HasArrowShapes(TQkVObjKind kind) { return kind == qkvkLine || kind == qkvkLabelLine; }

bool HasLineText(TQkVObjKind kind) { return kind == qkvkText || kind == qkvkLabelLine || kind == qkvkUserObject; }
