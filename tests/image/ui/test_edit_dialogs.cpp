// The editing dialogs driven by typed keys and clicks: the resize dialog's live
// proposals and its refusals, the free-rotation dialog's defaults and range, and
// the wait box's dots and its refusal to be closed by the user.

#include "QtTestRegistry.h"
#include "image/ui/FreeRotationDialog.h"
#include "image/ui/ResizeDialog.h"
#include "image/ui/WaitDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

QString fakeText(int id)
{
    switch (id) {
    case 61800:
        return QStringLiteral("too small");
    case 62001:
        return QStringLiteral("whole %1-%2");
    case 62002:
        return QStringLiteral("number %1-%2");
    case 1831088:
        return QStringLiteral("Processing the image, please wait..."); // 36 characters
    default:
        return QStringLiteral("text %1").arg(id);
    }
}

template <typename T> T* control(QWidget& dialog, int id)
{
    return dialog.findChild<T*>(QStringLiteral("id_%1").arg(id));
}

void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestEditDialogs : public QObject
{
    Q_OBJECT
private slots:
    void resizeProposesSizesAsTyped()
    {
        ResizeDialog dialog(2000, 1500, fakeText);
        dialog.show();
        auto* scale = control<QLineEdit>(dialog, ResizeDialog::ScaleId);
        auto* width = control<QLineEdit>(dialog, ResizeDialog::WidthId);
        auto* height = control<QLineEdit>(dialog, ResizeDialog::HeightId);
        QVERIFY(scale && width && height);
        QCOMPARE(width->text(), QStringLiteral("2000"));
        QCOMPARE(height->text(), QStringLiteral("1500"));
        QVERIFY(scale->isEnabled());
        QVERIFY(!width->isEnabled());
        QVERIFY(control<QRadioButton>(dialog, ResizeDialog::ByScaleId)->isChecked());

        // Each step changes the text from where the last left it; a scale
        // ending in "." or in a zero after the point does not change the proposal.
        struct Step
        {
            bool retype; // replace the text, else add the keys to it
            const char* keys;
            const char* text; // the scale shown afterwards
            int w, h;         // the proposal afterwards
        };
        const Step steps[] = {{true, "0.5", "0.5", 1000, 750},  {false, "0", "0.50", 1000, 750},
                              {false, "BS", "0.5", 1000, 750},  {false, "BS", "0.", 1000, 750},
                              {true, "1.5", "1.5", 3000, 2250}, {false, "0", "1.50", 3000, 2250},
                              {true, "10", "10", 20000, 15000}};
        for (const Step& s : steps) {
            const QString keys = QString::fromLatin1(s.keys);
            if (s.retype)
                retype(scale, keys);
            else if (keys == QLatin1String("BS"))
                QTest::keyClick(scale, Qt::Key_Backspace);
            else
                QTest::keyClicks(scale, keys);
            QCOMPARE(scale->text(), QString::fromLatin1(s.text));
            QCOMPARE(width->text().toInt(), s.w);
            QCOMPARE(height->text().toInt(), s.h);
        }

        // By size with the ratio kept.
        control<QRadioButton>(dialog, ResizeDialog::BySizeId)->click();
        QVERIFY(width->isEnabled());
        QVERIFY(!scale->isEnabled());
        control<QCheckBox>(dialog, ResizeDialog::KeepRatioId)->click();
        retype(width, QStringLiteral("1000"));
        QCOMPARE(height->text(), QStringLiteral("750"));
        retype(height, QStringLiteral("300"));
        QCOMPARE(width->text(), QStringLiteral("400"));
        QVERIFY(control<QRadioButton>(dialog, ResizeDialog::BySizeId)->isChecked());
        QTest::mouseClick(control<QPushButton>(dialog, 1), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.NewWidth(), 400);
        QCOMPARE(dialog.NewHeight(), 300);
    }

    void resizeRefusesAndStaysOpen()
    {
        struct Case
        {
            const char* scale;
            const char* width;
            const char* height;
            const char* says;
        };
        const Case cases[] = {{"0.05", "100", "100", "number 0.1-10"},
                              {"11", "100", "100", "number 0.1-10"},
                              {"1", "0", "100", "too small"},
                              {"1", "100", "-3", "too small"},
                              {"1", "abc", "100", "whole 1-"}};
        for (const Case& c : cases) {
            ResizeDialog dialog(200, 100, fakeText);
            QStringList reports;
            dialog.report = [&](const QString& m) { reports << m; };
            dialog.show();
            control<QLineEdit>(dialog, ResizeDialog::ScaleId)
                ->setText(QString::fromLatin1(c.scale));
            control<QLineEdit>(dialog, ResizeDialog::WidthId)
                ->setText(QString::fromLatin1(c.width));
            control<QLineEdit>(dialog, ResizeDialog::HeightId)
                ->setText(QString::fromLatin1(c.height));
            QTest::mouseClick(control<QPushButton>(dialog, 1), Qt::LeftButton);
            QCOMPARE(reports.size(), 1);
            QVERIFY2(reports[0].startsWith(QString::fromLatin1(c.says)), qPrintable(reports[0]));
            QVERIFY(dialog.isVisible());
        }
    }

    void freeRotationDefaultsAndRange()
    {
        FreeRotationDialog dialog(fakeText);
        auto* angle = control<QLineEdit>(dialog, FreeRotationDialog::AngleId);
        auto* keep = control<QCheckBox>(dialog, FreeRotationDialog::KeepSizeId);
        QCOMPARE(angle->text(), QStringLiteral("30"));
        QVERIFY(keep->isChecked());
        QStringList reports;
        dialog.report = [&](const QString& m) { reports << m; };
        dialog.show();
        for (const char* bad : {"", "abc", "400", "nan"}) {
            retype(angle, QString::fromLatin1(bad));
            QTest::mouseClick(control<QPushButton>(dialog, 1), Qt::LeftButton);
            QVERIFY(dialog.isVisible());
        }
        QCOMPARE(reports.size(), 4);
        QCOMPARE(reports[0], QStringLiteral("number -360-360"));
        retype(angle, QStringLiteral("-7.5"));
        keep->click();
        QTest::mouseClick(control<QPushButton>(dialog, 1), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Angle(), -7.5f);
        QVERIFY(!dialog.KeepSize());
    }

    void waitBoxGrowsDotsAndOnlyFinishCloses()
    {
        WaitDialog dialog(fakeText);
        dialog.show();
        auto* label = control<QLabel>(dialog, WaitDialog::TextId);
        const QString initial = label->text();
        QCOMPARE(initial.size(), 36);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), initial + QStringLiteral(".."), 1000);
        // Past 40 characters the text starts again.
        int longest = 0;
        bool restarted = false;
        for (int i = 0; i < 15; ++i) {
            QTest::qWait(WaitDialog::DotTimerMs / 2 + 5);
            longest = std::max(longest, int(label->text().size()));
            restarted =
                restarted || (longest == WaitDialog::MaxTextLength && label->text() == initial);
        }
        QCOMPARE(longest, WaitDialog::MaxTextLength);
        QVERIFY(restarted);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        QVERIFY(dialog.isVisible());
        dialog.Finish();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // The edit box's line starts again at 40 characters, the recognition box's at 41.
    void waitDotsStartAgainAtTheLongestLine()
    {
        const QString base = QStringLiteral("wait");
        struct Case
        {
            int shown;
            int longest;
            QString next;
        };
        const Case cases[] = {
            {4, WaitDots::kLongest, base + QStringLiteral(".")},
            {39, WaitDots::kLongest, base + QString(36, u'.')},
            {40, WaitDots::kLongest, base},
            {40, WaitDots::kLongest + 1, base + QString(37, u'.')},
            {41, WaitDots::kLongest + 1, base},
            {45, WaitDots::kLongest, base},
        };
        for (const Case& c : cases) {
            const QString shown = base + QString(c.shown - base.size(), u'.');
            QCOMPARE(WaitDots::Next(shown, base, c.longest), c.next);
        }
        QCOMPARE(WaitDialog::MaxTextLength, WaitDots::kLongest);
    }
};

SCRIVA_QTEST(TestEditDialogs)
#include "test_edit_dialogs.moc"
