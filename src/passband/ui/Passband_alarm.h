#pragma once

// One alarm limit of the parameter panel: caption, edit box and unit, as a
// centred group on a borderless row 45 pixels high.

#include <QFrame>
#include <QString>
#include <memory>

#include "Editable.h"

class DoubleEditable;
class QLabel;
class TDoubleEdit;

class Passband_Alarm : public QFrame {
    Q_OBJECT

public:
    static constexpr int rowHeight = 45;
    static constexpr int border = 10;
    static constexpr int editWidth = 60;
    static constexpr int editHeight = 25;
    // The unit follows the edit box closely, but not touching its frame.
    static constexpr int unitIndent = 3;

    // The edit box takes the bounds and increment and shows one decimal.
    Passband_Alarm(const QString& caption, Editable<float>& limit, double minimum, double maximum, double increment,
                   const QString& unit, QWidget* parent = nullptr);
    ~Passband_Alarm() override;

    TDoubleEdit* edit() const { return edit_; }
    QLabel* captionLabel() const { return caption_; }
    QLabel* unitLabel() const { return unit_; }
    void setUnit(const QString& unit);

private:
    QLabel* caption_ = nullptr;
    TDoubleEdit* edit_ = nullptr;
    QLabel* unit_ = nullptr;
    std::unique_ptr<DoubleEditable> binder_;
};

// The edit boxes of the alarm rows and the panel: bounds, then the
// increment, then the decimals shown (the increment would set its own).
void setUpEdit(TDoubleEdit& edit, double minimum, double maximum, double increment, int precision);
