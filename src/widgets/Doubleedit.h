#pragma once

// The edit box for decimal numbers: a value kept inside [min, max] (or
// wrapped round to the other bound), shown with a fixed number of decimals
// and "." as decimal separator whatever the locale, stepped by its up/down
// buttons. Every value set, typed and applied, or stepped is announced with
// changed().

#include "NumericEdit.h"

class TDoubleEdit : public TNumericEdit {
    Q_OBJECT
    Q_PROPERTY(int precision READ GetPrecision WRITE SetPrecision)
    Q_PROPERTY(double value READ GetValue WRITE SetValue)
    Q_PROPERTY(double min READ GetMin WRITE SetMin)
    Q_PROPERTY(double max READ GetMax WRITE SetMax)
    Q_PROPERTY(double increment READ GetIncrement WRITE SetIncrement)

public:
    // Value 0 in [0, 100], increment 1, no decimals, buttons shown, no wrap.
    explicit TDoubleEdit(QWidget* parent = nullptr);

    // value := CheckValue(x), shown with the precision's decimals, then changed().
    void SetValue(double x);
    // The number of the text (0 when it is none), limited to [min, max].
    double GetValue() const;
    // x as the bounds and wrap make it.
    double CheckValue(double x) const;

    // Decimals shown: |n| (at most NumericRules::MaxPrecision); the value is shown again.
    void SetPrecision(int n);
    int GetPrecision() const { return precision_; }

    // The step of the up/down buttons; the precision follows it (0.1 gives
    // one decimal, 0.01 two, 1 or more none).
    void SetIncrement(double x);
    double GetIncrement() const { return increment_; }

    // A bound below (above) the number in the text sets the value to it.
    void SetMin(double x);
    void SetMax(double x);
    // Both bounds at once: the text is checked only once both are in place,
    // so moving a range past the old one cannot leave the text outside.
    void SetRange(double min, double max);
    double GetMin() const { return min_; }
    double GetMax() const { return max_; }

    void StepUp() override;
    void StepDown() override;

signals:
    // After every value set; carries GetValue(). Enter and leaving the edit
    // box send it twice (the value set, then once more).
    void changed(double value);

protected:
    void ApplyText() override;
    std::array<std::string, 2> boundTexts() const override;

private:
    double textNumber() const;
    void step(double delta);

    int precision_ = 0;
    double value_ = 0.0;
    double min_ = 0.0;
    double max_ = 100.0;
    double increment_ = 1.0;
};
