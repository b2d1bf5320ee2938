#include "Doubleedit.h"

#include "NumericRules.h"

TDoubleEdit::TDoubleEdit(QWidget* parent) : TNumericEdit(true, parent)
{
    setText(NumericRules::formatFixed(value_, precision_));
}

void TDoubleEdit::SetValue(double x)
{
    value_ = CheckValue(x);
    setText(NumericRules::formatFixed(value_, precision_));
    emit changed(GetValue());
}

double TDoubleEdit::textNumber() const { return NumericRules::parseDecimal(text()); }

double TDoubleEdit::GetValue() const { return NumericRules::limitValue(textNumber(), min_, max_); }

double TDoubleEdit::CheckValue(double x) const { return NumericRules::checkValue(x, min_, max_, GetWrap()); }

void TDoubleEdit::SetPrecision(int n)
{
    precision_ = NumericRules::normalisedPrecision(n);
    SetValue(value_);
}

void TDoubleEdit::SetIncrement(double x)
{
    increment_ = x;
    SetPrecision(NumericRules::precisionForIncrement(x));
}

void TDoubleEdit::SetMin(double x)
{
    min_ = x;
    if (textNumber() < min_) SetValue(min_);
}

void TDoubleEdit::SetMax(double x)
{
    max_ = x;
    if (textNumber() > max_) SetValue(max_);
}

void TDoubleEdit::SetRange(double min, double max)
{
    min_ = min;
    max_ = max;
    const double number = textNumber();
    if (number < min_)
        SetValue(min_);
    else if (number > max_)
        SetValue(max_);
}

void TDoubleEdit::step(double delta)
{
    // The sum is rounded to the decimals shown before the bounds judge it:
    // 0.2 + 0.1 is 0.30000000000000004 in binary, which must not count as
    // beyond a maximum of 0.3 (and wrap to the minimum).
    SetValue(NumericRules::roundToPrecision(GetValue() + delta, precision_));
}

void TDoubleEdit::StepUp() { step(increment_); }

void TDoubleEdit::StepDown() { step(-increment_); }

void TDoubleEdit::ApplyText()
{
    SetValue(GetValue());
    emit changed(GetValue());
}

std::array<std::string, 2> TDoubleEdit::boundTexts() const
{
    return {NumericRules::formatFixed(min_, precision_), NumericRules::formatFixed(max_, precision_)};
}
