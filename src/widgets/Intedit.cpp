#include "Intedit.h"

#include "NumericRules.h"

TIntEdit::TIntEdit(QWidget* parent) : TNumericEdit(false, parent)
{
    setText(NumericRules::formatInteger(value_));
}

void TIntEdit::SetValue(std::int32_t x) { assign(x); }

void TIntEdit::assign(std::int64_t x)
{
    value_ = CheckValue(x);
    setText(NumericRules::formatInteger(value_));
    emit changed(GetValue());
}

std::int32_t TIntEdit::textNumber() const { return NumericRules::parseInteger(text()); }

std::int32_t TIntEdit::GetValue() const { return NumericRules::limitValue(textNumber(), min_, max_); }

std::int32_t TIntEdit::CheckValue(std::int64_t x) const
{
    return NumericRules::checkValue(x, min_, max_, GetWrap());
}

void TIntEdit::SetMin(std::int32_t x)
{
    min_ = x;
    if (textNumber() < min_) SetValue(min_);
}

void TIntEdit::SetMax(std::int32_t x)
{
    max_ = x;
    if (textNumber() > max_) SetValue(max_);
}

void TIntEdit::SetRange(std::int32_t min, std::int32_t max)
{
    min_ = min;
    max_ = max;
    const std::int32_t number = textNumber();
    if (number < min_)
        SetValue(min_);
    else if (number > max_)
        SetValue(max_);
}

// In 64 bits: a step from near a 32-bit limit must meet the bound (or wrap),
// not overflow.
void TIntEdit::StepUp() { assign(static_cast<std::int64_t>(GetValue()) + increment_); }

void TIntEdit::StepDown() { assign(static_cast<std::int64_t>(GetValue()) - increment_); }

void TIntEdit::ApplyText()
{
    SetValue(GetValue());
    emit changed(GetValue());
}

std::array<std::string, 2> TIntEdit::boundTexts() const
{
    return {NumericRules::formatInteger(min_), NumericRules::formatInteger(max_)};
}
