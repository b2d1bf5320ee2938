#pragma once

// The edit box for integers: the decimal edit's behaviour on 32-bit
// integers, without decimals ("." is refused like any letter).

#include <cstdint>

#include "NumericEdit.h"

class TIntEdit : public TNumericEdit {
    Q_OBJECT
    Q_PROPERTY(int value READ GetValue WRITE SetValue)
    Q_PROPERTY(int min READ GetMin WRITE SetMin)
    Q_PROPERTY(int max READ GetMax WRITE SetMax)
    Q_PROPERTY(int increment READ GetIncrement WRITE SetIncrement)

public:
    // Value 0 in [0, 100], increment 1, buttons shown, no wrap.
    explicit TIntEdit(QWidget* parent = nullptr);

    // value := CheckValue(x), shown in plain decimal, then changed().
    void SetValue(std::int32_t x);
    // The integer of the text (0 when it is none), limited to [min, max].
    std::int32_t GetValue() const;
    // x as the bounds and wrap make it (wide, so that a step cannot overflow).
    std::int32_t CheckValue(std::int64_t x) const;

    void SetIncrement(std::int32_t x) { increment_ = x; }
    std::int32_t GetIncrement() const { return increment_; }

    // A bound below (above) the number in the text sets the value to it.
    void SetMin(std::int32_t x);
    void SetMax(std::int32_t x);
    // Both bounds, the text checked once both are in place.
    void SetRange(std::int32_t min, std::int32_t max);
    std::int32_t GetMin() const { return min_; }
    std::int32_t GetMax() const { return max_; }

    void StepUp() override;
    void StepDown() override;

signals:
    // After every value set; carries GetValue(). Enter and leaving the edit
    // box send it twice (the value set, then once more).
    void changed(int value);

protected:
    void ApplyText() override;
    std::array<std::string, 2> boundTexts() const override;

private:
    std::int32_t textNumber() const;
    // SetValue for any integer, the 32-bit ones and the sums of a step.
    void assign(std::int64_t x);

    std::int32_t value_ = 0;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t increment_ = 1;
};
