#include "Gpibsourceeditor.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>
#include <string>

#include "Sourceconfig.h"

namespace {

constexpr std::array<const char*, TGpibSourceEditor::fieldCount> captions{
    "Power On :", "Power Off :", "Power (mW) :", "Wavelength (nm) :", "Speed (nm/s) :"};

// The instruments and the templates take single-byte text: every character
// becomes one byte, and one with no Latin-1 code becomes "?", so that a
// field of 30 characters is a template of 30 bytes.
std::string templateBytes(const QString& text) { return text.toLatin1().toStdString(); }

}  // namespace

TGpibSourceEditor::TGpibSourceEditor(SourceConfig& record, QWidget* parent) : QDialog(parent), record_(record)
{
    setWindowTitle(QStringLiteral("Please define the following GPIB commands"));
    setModal(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    // Room for a whole template of 30 characters of middle width.
    const int fieldWidth = QFontMetrics(font()).horizontalAdvance(QString(int(Command::maxLength), QChar(u'0'))) + 12;
    for (int i = 0; i < fieldCount; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(captions[static_cast<std::size_t>(i)]), this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("command%1").arg(i));
        edit->setMaxLength(int(Command::maxLength));
        edit->setMinimumWidth(fieldWidth);
        caption->setBuddy(edit);
        grid->addWidget(caption, i, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(edit, i, 1);
        fields_[static_cast<std::size_t>(i)] = edit;
    }

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->setTextFormat(Qt::PlainText);
    QPalette red = problem_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    problem_->setPalette(red);
    problem_->hide();

    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    default_ = new QPushButton(QStringLiteral("Default"), this);
    ok_->setDefault(true);
    // Enter in a field means "Ok"; the other two are only clicked.
    cancel_->setAutoDefault(false);
    default_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &TGpibSourceEditor::ButtonOkClick);
    connect(cancel_, &QPushButton::clicked, this, &TGpibSourceEditor::ButtonCancelClick);
    connect(default_, &QPushButton::clicked, this, &TGpibSourceEditor::ButtonDefaultClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(default_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(grid);
    layout->addWidget(problem_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

Command* TGpibSourceEditor::commandOf(int index) const
{
    if (!record_.laser) return nullptr;
    return record_.laser->GetCommand(templateKeys[static_cast<std::size_t>(index)]);
}

void TGpibSourceEditor::fill(bool defaults)
{
    for (int i = 0; i < fieldCount; ++i) {
        const Command* command = commandOf(i);
        QLineEdit* edit = field(i);
        edit->setEnabled(command != nullptr);
        if (command == nullptr)
            edit->clear();
        else
            edit->setText(QString::fromLatin1(defaults ? command->GetDefaultText() : command->GetText()));
    }
    problem_->clear();
    problem_->hide();
}

void TGpibSourceEditor::Edit()
{
    fill(false);
    field(0)->setFocus();
    open();
}

QString TGpibSourceEditor::Problem() const { return problem_->text(); }

void TGpibSourceEditor::ButtonOkClick()
{
    // All fields are checked before any template changes, so that a refused
    // text never leaves the source with half of the user's commands.
    std::array<std::string, fieldCount> texts;
    for (int i = 0; i < fieldCount; ++i) {
        const Command* command = commandOf(i);
        if (command == nullptr) continue;
        texts[static_cast<std::size_t>(i)] = templateBytes(field(i)->text());
        if (const auto why = Command::problemWith(texts[static_cast<std::size_t>(i)], command->Signature())) {
            problem_->setText(QString::fromLatin1(captions[static_cast<std::size_t>(i)]) + QLatin1Char(' ') +
                              QString::fromStdString(*why));
            problem_->show();
            field(i)->setFocus();
            field(i)->selectAll();
            return;
        }
    }
    for (int i = 0; i < fieldCount; ++i)
        if (Command* command = commandOf(i)) command->SetText(texts[static_cast<std::size_t>(i)].c_str());
    problem_->clear();
    problem_->hide();
    accept();
}

void TGpibSourceEditor::ButtonCancelClick()
{
    fill(false);
    QDialog::reject();
}

void TGpibSourceEditor::ButtonDefaultClick() { fill(true); }

void TGpibSourceEditor::reject() { ButtonCancelClick(); }
