// Every control a user can reach has a name assistive technology can read
// (its accessible name, its text or its label's): the main window's whole
// widget tree, hidden parts such as the search bar included, and the dialogs
// that open without a camera or printer.

#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/shell/AboutDialog.h"
#include "capture_view/ui/CCaptureSettingsDlg.h"
#include "config/CConfigFile.h"
#include "image/TextInfo.h"
#include "image/ui/FreeRotationDialog.h"
#include "image/ui/ResizeDialog.h"
#include "image/ui/TextDialog.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QScrollBar>

using namespace frametest;

namespace {
// Controls the user acts on: buttons, sliders, fields, lists and views, and
// anything else that takes the keyboard focus. Parts Qt builds inside its own
// controls (named "qt_...": a spin box's field, a scroll area's viewport, a
// dock's title buttons) are announced through their owner.
bool interactive(const QWidget* w)
{
    if (w->objectName().startsWith(QLatin1String("qt_")))
        return false;
    if (qobject_cast<const QScrollBar*>(w))
        return false; // announced by role and orientation as part of its area
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QMenuBar*>(w) ||
           w->focusPolicy() != Qt::NoFocus;
}

QString accessibleName(QWidget* w)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name).trimmed() : QString();
}

// "Class objectName" of every reachable control without a name under root.
QStringList unnamed(QWidget* root)
{
    QStringList missing;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (interactive(w) && accessibleName(w).isEmpty())
            missing << QLatin1String(w->metaObject()->className()) + QLatin1Char(' ') +
                           w->objectName();
    }
    return missing;
}
} // namespace

class FrameAccessibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void everyControlOfTheMainWindowHasAName();
    void everyControlOfTheDialogsHasAName();
};

void FrameAccessibilityTest::everyControlOfTheMainWindowHasAName()
{
    // The walk itself: a bare list or text field counts as unnamed, a labelled one does not.
    QWidget bare;
    auto* list = new QListView(&bare);
    auto* edit = new QLineEdit(&bare);
    QCOMPARE(unnamed(&bare).size(), 2);
    list->setAccessibleName(QStringLiteral("Pages"));
    auto* label = new QLabel(QStringLiteral("Find:"), &bare);
    label->setBuddy(edit);
    QVERIFY(unnamed(&bare).isEmpty());

    Fixture f;
    int controls = 0;
    for (QWidget* w : f.frame->findChildren<QWidget*>())
        controls += interactive(w);
    QVERIFY(controls > 20); // toolbar, left buttons, panes, search bar
    QStringList missing = unnamed(f.frame.get());
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    // The capture view as well, when it takes the right area's place.
    QVERIFY(f.frame->SwitchRightPane());
    QCoreApplication::processEvents();
    missing = unnamed(f.frame.get());
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
}

void FrameAccessibilityTest::everyControlOfTheDialogsHasAName()
{
    NoCamera noCamera;
    const PackText text = [](int id) { return englishPack().String(id); };
    Recorder rec;
    CConfigFile store;
    QVERIFY(store.Load(dataFolder() + QStringLiteral("/config/config.cfg")));
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<AboutDialog>(englishPack(), QStringLiteral("https://a.b/"),
                                                    QStringLiteral("1.0"), QStringLiteral("5.3")));
    dialogs.push_back(std::make_unique<ResizeDialog>(640, 480, text));
    dialogs.push_back(std::make_unique<FreeRotationDialog>(text));
    dialogs.push_back(std::make_unique<TextDialog>(TextInfo(), text));
    dialogs.push_back(
        std::make_unique<CCaptureSettingsDlg>(store, QStringLiteral("en"), false, rec));
    for (const auto& dialog : dialogs) {
        const QStringList missing = unnamed(dialog.get());
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QLatin1String(dialog->metaObject()->className()) +
                            QStringLiteral(": ") + missing.join(QStringLiteral(", "))));
    }
}

SCRIVA_QTEST(FrameAccessibilityTest)
#include "test_frame_accessibility.moc"
