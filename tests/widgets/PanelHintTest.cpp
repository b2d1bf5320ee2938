// The hint panel: its text as given (plain, with line breaks), its pale
// yellow box, its size following the text, hidden until shown.

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QTest>
#include <QWidget>

#include "Panelhint.h"

class PanelHintTest : public QObject {
    Q_OBJECT

private slots:
    void showsItsTextInAPaleYellowBox()
    {
        QWidget owner;
        owner.resize(400, 200);
        auto* hint = new TPanelHint(&owner);
        QCOMPARE(hint->parentWidget(), &owner);
        owner.show();
        QVERIFY(!hint->isVisible());

        const QString oneLine = QStringLiteral(" The minimum scan range is 5nm. ");
        hint->SetText(oneLine);
        hint->show();
        QCOMPARE(hint->Text(), oneLine);
        const QSize oneLineSize = hint->size();

        const QString twoLines =
            QStringLiteral(" The minimum scan range is 5nm. \n The Stop Wavelength parameter has been updated ");
        hint->SetText(twoLines);
        QCOMPARE(hint->label()->text(), twoLines);
        QVERIFY(hint->height() > oneLineSize.height());
        QVERIFY(hint->width() > oneLineSize.width());
        QVERIFY(hint->label()->alignment() & Qt::AlignLeft);

        const QColor background = hint->label()->palette().color(QPalette::Window);
        QCOMPARE(background, QColor(0xFF, 0xFF, 0xE1));
        const QImage picture = hint->grab().toImage();
        QCOMPARE(picture.pixelColor(picture.width() / 2, 3), QColor(0xFF, 0xFF, 0xE1));
    }

    void markupIsShownAsTyped()
    {
        QWidget owner;
        auto* hint = new TPanelHint(&owner);
        hint->SetText(QStringLiteral("<b>5nm</b>"));
        QCOMPARE(hint->label()->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(PanelHintTest)
#include "PanelHintTest.moc"
