// The capture settings dialog over the shipped settings: every field round-
// trips in English and in German (lists from the language's keys, stored by
// their English names), unusable values keep the dialog open with the focus
// on the edit, the preset entry is offered only with a preset area, the page
// look is chosen on a preview of the held frame (with a note where JPEG keeps
// black-and-white pages in grey), and Cancel writes nothing.

#include "PhotoTestSupport.h"
#include "QtTestRegistry.h"
#include "TestWindowServices.h"
#include "capture_view/ui/CCaptureSettingsDlg.h"
#include "config/CConfigFile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace phototest;

class TestCaptureSettingsDlg : public QObject
{
    Q_OBJECT
    const QString S = QStringLiteral("TAKE_PHOTOS_SET");
    std::unique_ptr<PhotoSandbox> m_box;
    std::unique_ptr<CConfigFile> m_store;
    QStringList m_boxTexts;

    TestWindowServices m_window;

    IWindowServices& services()
    {
        m_window.texts = [](int id) {
            if (id == scriva::str::kIntegerOutOfRange)
                return QStringLiteral("range %1 to %2");
            if (id == scriva::str::kNumberOutOfRange)
                return QStringLiteral("number %1 to %2");
            return QStringLiteral("<%1>").arg(id);
        };
        m_window.onBox = [this](const TestWindowServices::Box& box) { m_boxTexts << box.text; };
        return m_window;
    }
    template <typename W> static W* control(QWidget& dlg, int id)
    {
        return dlg.findChild<W*>(QStringLiteral("id_%1").arg(id));
    }
    QString stored(const char* key) const
    {
        return m_store->GetString(QString::fromLatin1(key), S);
    }

    // Sets every field through the controls, confirms, and checks the store
    // and a dialog opened afterwards.
    void roundTrip(const QString& language, const QString& cardName, const QString& turnName)
    {
        const QString folder = m_box->path("photos/" + language);
        {
            CCaptureSettingsDlg dlg(*m_store, language, false, services());
            control<QLineEdit>(dlg, 1001)->setText(QStringLiteral("Scan"));
            control<QRadioButton>(dlg, 1004)->setChecked(true);
            QVERIFY(!control<QLineEdit>(dlg, 1007)->isEnabled());
            control<QLineEdit>(dlg, 1007)->setText(QStringLiteral("5"));
            auto* pages = control<QComboBox>(dlg, 1013);
            QCOMPARE(pages->count(), 11); // no preset area: no preset entry
            pages->setCurrentIndex(pages->findText(cardName));
            QVERIFY(pages->currentIndex() >= 0);
            auto* formats = control<QComboBox>(dlg, 1017);
            formats->setCurrentIndex(formats->findText(QStringLiteral("png")));
            auto* turns = control<QComboBox>(dlg, 1014);
            turns->setCurrentIndex(turns->findText(turnName));
            QCOMPARE(turns->currentIndex(), 2);
            control<QLineEdit>(dlg, 1015)->setText(folder);
            control<QLineEdit>(dlg, 1008)->setText(QStringLiteral("3"));
            control<QLineEdit>(dlg, 1078)->setText(QStringLiteral("7"));
            // Hands-free capture: the mode, a settle time typed with a decimal
            // comma, the sensitivity.
            auto* mode = control<QComboBox>(dlg, 1120);
            QCOMPARE(mode->count(), 3);
            QCOMPARE(mode->itemText(2), QStringLiteral("<62302>"));
            mode->setCurrentIndex(2);
            control<QLineEdit>(dlg, 1121)->setText(QStringLiteral("1,5"));
            control<QSlider>(dlg, 1122)->setValue(8);
            QCOMPARE(control<QLabel>(dlg, 1126)->text(), QStringLiteral("8"));
            dlg.accept();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QVERIFY(dlg.ThumbnailCountChanged());
        }
        QCOMPARE(stored("fileName"), QStringLiteral("Scan"));
        QCOMPARE(stored("sizePicture"), QStringLiteral("Card"));
        QCOMPARE(stored("pictureFormat"), QStringLiteral("png"));
        QCOMPARE(stored("imageDirection"), QStringLiteral("2"));
        QCOMPARE(stored("savePath"), folder);
        QCOMPARE(stored("thumbnailNum"), QStringLiteral("3"));
        QCOMPARE(stored("increment"), QStringLiteral("5"));
        QCOMPARE(stored("interval"), QStringLiteral("7"));
        QCOMPARE(stored("nomenclature"), QStringLiteral("0"));
        QCOMPARE(stored("autoCaptureMode"), QStringLiteral("2"));
        QCOMPARE(stored("pageSettleMs"), QStringLiteral("1500"));
        QCOMPARE(stored("pageSensitivity"), QStringLiteral("8"));

        CCaptureSettingsDlg again(*m_store, language, false, services());
        QCOMPARE(control<QLineEdit>(again, 1001)->text(), QStringLiteral("Scan"));
        QVERIFY(control<QRadioButton>(again, 1004)->isChecked());
        QCOMPARE(control<QLineEdit>(again, 1007)->text(), QStringLiteral("5"));
        QCOMPARE(control<QComboBox>(again, 1013)->currentText(), cardName);
        QCOMPARE(control<QComboBox>(again, 1017)->currentText(), QStringLiteral("png"));
        QCOMPARE(control<QComboBox>(again, 1014)->currentText(), turnName);
        QCOMPARE(control<QLineEdit>(again, 1015)->text(), folder);
        QCOMPARE(control<QLineEdit>(again, 1008)->text(), QStringLiteral("3"));
        QCOMPARE(control<QLineEdit>(again, 1078)->text(), QStringLiteral("7"));
        QCOMPARE(control<QComboBox>(again, 1120)->currentIndex(), 2);
        QCOMPARE(control<QLineEdit>(again, 1121)->text(), QStringLiteral("1.5"));
        QCOMPARE(control<QSlider>(again, 1122)->value(), 8);
        QCOMPARE(control<QLabel>(again, 1126)->text(), QStringLiteral("8"));
        QVERIFY(QFileInfo(folder).isDir());
        again.accept();
        QVERIFY(!again.ThumbnailCountChanged());
    }

private slots:
    void cleanup()
    {
        m_store.reset();
        m_box.reset(); // puts the environment back
    }

    void init()
    {
        m_box = std::make_unique<PhotoSandbox>();
        m_store = std::make_unique<CConfigFile>();
        QVERIFY(
            m_store->Load(QStringLiteral(SCRIVA_TEST_SOURCE_DIR) + "/resources/config/config.cfg"));
        m_boxTexts.clear();
    }

    void roundTripsInEnglish()
    {
        roundTrip(QStringLiteral("en"), QStringLiteral("Card"),
                  QStringLiteral("Rotate 90° counter-clockwise"));
    }

    void roundTripsInGerman()
    {
        // The language code as the settings may spell it.
        roundTrip(QStringLiteral("Ger"), QStringLiteral("Visitenkarte"),
                  QStringLiteral("Um 90° gegen den Uhrzeigersinn drehen"));
    }

    void opensWithTheShippedValues()
    {
        CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), false, services());
        QCOMPARE(control<QComboBox>(dlg, 1013)->currentText(), QStringLiteral("A4"));
        QCOMPARE(control<QComboBox>(dlg, 1014)->currentIndex(), 1);
        QVERIFY(control<QRadioButton>(dlg, 1005)->isChecked());
        QVERIFY(control<QLineEdit>(dlg, 1007)->isEnabled());
        QCOMPARE(control<QLineEdit>(dlg, 1015)->text(), m_box->documents() + "/Scriva");
        QVERIFY(QFileInfo(m_box->documents() + "/Scriva").isDir());
        // Auto capture at an interval; hands-free settles 0.8 s at sensitivity 5.
        QCOMPARE(control<QComboBox>(dlg, 1120)->currentIndex(), 1);
        QCOMPARE(control<QLineEdit>(dlg, 1121)->text(), QStringLiteral("0.8"));
        QCOMPARE(control<QSlider>(dlg, 1122)->value(), 5);
    }

    // Settings written before hands-free capture existed (no mode, settle or
    // sensitivity) read as auto capture at an interval with the defaults, and
    // the dialog writes them on OK; out-of-range stored values are shown within
    // range; only a written 0 turns auto capture off.
    void handsFreeSettingsOfOlderFiles()
    {
        struct Case
        {
            QByteArray mode, settle, sensitivity;
            int shownMode;
            QString shownSettle;
            int shownSensitivity;
        };
        const Case cases[] = {{"", "", "", 1, "0.8", 5},
                              {"0", "50", "99", 0, "0.1", 10},
                              {"7", "20000", "-3", 1, "10", 5},
                              {"2", "2500", "1", 2, "2.5", 1}};
        for (const Case& c : cases) {
            CConfigFile store;
            if (!c.mode.isEmpty())
                store.SetString(QStringLiteral("autoCaptureMode"), c.mode, S);
            if (!c.settle.isEmpty())
                store.SetString(QStringLiteral("pageSettleMs"), c.settle, S);
            if (!c.sensitivity.isEmpty())
                store.SetString(QStringLiteral("pageSensitivity"), c.sensitivity, S);
            store.SetString(QStringLiteral("increment"), QStringLiteral("1"), S);
            store.SetString(QStringLiteral("thumbnailNum"), QStringLiteral("4"), S);
            store.SetString(QStringLiteral("interval"), QStringLiteral("5"), S);
            CCaptureSettingsDlg dlg(store, QStringLiteral("en"), false, services());
            QCOMPARE(control<QComboBox>(dlg, 1120)->currentIndex(), c.shownMode);
            QCOMPARE(control<QLineEdit>(dlg, 1121)->text(), c.shownSettle);
            QCOMPARE(control<QSlider>(dlg, 1122)->value(), c.shownSensitivity);
            dlg.accept();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(store.GetString(QStringLiteral("autoCaptureMode"), S),
                     QString::number(c.shownMode));
            QCOMPARE(store.GetString(QStringLiteral("pageSettleMs"), S),
                     QString::number(qRound(c.shownSettle.toDouble() * 1000)));
            QCOMPARE(store.GetString(QStringLiteral("pageSensitivity"), S),
                     QString::number(c.shownSensitivity));
        }
    }

    // The page look: shipped as taken, chosen in the box, stored as its number,
    // and shown on the held frame while it is chosen; without a frame no preview.
    void pageLookIsChosenOnAPreviewOfTheHeldFrame()
    {
        int asked = 0;
        auto heldFrame = [&asked](CxImage& frame) {
            ++asked;
            frame = demoFrame();
            return frame.IsValid();
        };
        CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), false, services(), heldFrame);
        auto* looks = control<QComboBox>(dlg, 1111);
        auto* preview = control<QLabel>(dlg, 1112);
        QVERIFY(looks && preview);
        QCOMPARE(asked, 1);
        QCOMPARE(looks->count(), 4);
        QCOMPARE(looks->currentIndex(), 0);
        QCOMPARE(looks->itemText(3), QStringLiteral("<62263>"));
        QVERIFY(!preview->isHidden());
        const QImage asTaken = preview->pixmap().toImage();
        QVERIFY(asTaken.width() > 0 && asTaken.width() <= 240);
        looks->setCurrentIndex(3);
        const QImage blackWhite = preview->pixmap().toImage();
        QCOMPARE(blackWhite.size(), asTaken.size());
        QVERIFY(blackWhite != asTaken);
        // Black and white: every pixel of the preview is black or white.
        for (int y = 0; y < blackWhite.height(); y += 7)
            for (int x = 0; x < blackWhite.width(); x += 7) {
                const int v = qGray(blackWhite.pixel(x, y));
                QVERIFY2(v == 0 || v == 255, qPrintable(QString::number(v)));
            }
        dlg.accept();
        QCOMPARE(stored("pageLook"), QStringLiteral("3"));

        CCaptureSettingsDlg noFrame(*m_store, QStringLiteral("en"), false, services());
        QCOMPARE(control<QComboBox>(noFrame, 1111)->currentIndex(), 3);
        QVERIFY(control<QLabel>(noFrame, 1112)->isHidden());
    }

    // JPEG keeps no 1-bit pages: black and white with jpg (however the stored
    // format spells it) shows a note that the pages are saved in grey; the
    // chosen format and names stay. Any other pairing shows none.
    void blackWhiteInJpegIsNoted()
    {
        struct Case
        {
            int look;
            const char* format;
            bool noted;
        };
        const Case cases[] = {{3, "jpg", true},  {3, "png", false}, {3, "tif", false},
                              {3, "bmp", false}, {0, "jpg", false}, {1, "jpg", false},
                              {2, "jpg", false}, {3, "jpg", true}};
        CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), false, services());
        auto* looks = control<QComboBox>(dlg, 1111);
        auto* formats = control<QComboBox>(dlg, 1017);
        auto* note = control<QLabel>(dlg, 1113);
        QVERIFY(looks && formats && note);
        QCOMPARE(note->text(), QStringLiteral("<1331113>"));
        QVERIFY(note->isHidden()); // shipped: as taken, jpg
        for (const Case& c : cases) {
            looks->setCurrentIndex(looks->findData(c.look));
            formats->setCurrentIndex(formats->findText(QLatin1String(c.format)));
            QVERIFY(looks->currentIndex() >= 0 && formats->currentIndex() >= 0);
            QVERIFY2(note->isHidden() != c.noted, c.format);
        }
        dlg.accept();
        QCOMPARE(stored("pictureFormat"), QStringLiteral("jpg"));

        m_store->SetString(QStringLiteral("pictureFormat"), QStringLiteral("JPEG"), S);
        CCaptureSettingsDlg stored(*m_store, QStringLiteral("en"), false, services());
        QVERIFY(!control<QLabel>(stored, 1113)->isHidden());
    }

    void unusableValuesKeepTheDialogOpen()
    {
        struct Case
        {
            int control;
            QString text;
            QString message;
        };
        const Case cases[] = {
            {1007, "0", "range 1 to 65535"},    {1007, "70000", "range 1 to 65535"},
            {1007, "x", "range 1 to 65535"},    {1008, "7", "range 1 to 6"},
            {1078, "2", "range 3 to 10"},       {1078, "11", "range 3 to 10"},
            {1001, "a/b", "<62003>"},           {1001, "a;b", "<62003>"},
            {1015, "/tmp/a;b", "<62003>"},      {1121, "0.05", "number 0.1 to 10"},
            {1121, "10.5", "number 0.1 to 10"}, {1121, "soon", "number 0.1 to 10"},
            {1121, "", "number 0.1 to 10"}};
        const QByteArray before = m_store->ToBytes();
        for (const Case& c : cases) {
            m_boxTexts.clear();
            CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), false, services());
            dlg.show();
            auto* edit = control<QLineEdit>(dlg, c.control);
            edit->setText(c.text);
            dlg.accept();
            QVERIFY2(dlg.isVisible(), qPrintable(c.text));
            QCOMPARE(m_boxTexts, QStringList{c.message});
            QCOMPARE(dlg.focusWidget(), edit);
            QCOMPARE(m_store->ToBytes(), before);
        }
        // The up-down pair steps within its range and leaves typed text alone.
        CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), false, services());
        auto* step = control<QLineEdit>(dlg, 1007);
        auto* spin = control<QWidget>(dlg, 1042);
        const auto arrows = spin->findChildren<QToolButton*>();
        QCOMPARE(arrows.size(), 2);
        step->setText(QStringLiteral("65535"));
        arrows[0]->click();
        QCOMPARE(step->text(), QStringLiteral("65535"));
        arrows[1]->click();
        QCOMPARE(step->text(), QStringLiteral("65534"));
        step->setText(QStringLiteral("99999"));
        arrows[1]->click();
        QCOMPARE(step->text(), QStringLiteral("99999"));
    }

    void presetEntryOnlyWithAPresetArea()
    {
        m_store->SetString(QStringLiteral("sizePicture"), QStringLiteral("Preinstall"), S);
        {
            CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), false, services());
            auto* pages = control<QComboBox>(dlg, 1013);
            QCOMPARE(pages->count(), 11);
            QCOMPARE(pages->currentText(), QStringLiteral("All"));
            QVERIFY(pages->findText(QStringLiteral("Preinstall")) < 0);
        }
        CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), true, services());
        auto* pages = control<QComboBox>(dlg, 1013);
        QCOMPARE(pages->count(), 12);
        QCOMPARE(pages->currentText(), QStringLiteral("Preinstall"));
        pages->setCurrentIndex(pages->findText(QStringLiteral("Legal")));
        dlg.accept();
        QCOMPARE(stored("sizePicture"), QStringLiteral("Legal"));
    }

    void cancelWritesNothing()
    {
        const QByteArray before = m_store->ToBytes();
        CCaptureSettingsDlg dlg(*m_store, QStringLiteral("en"), false, services());
        control<QLineEdit>(dlg, 1001)->setText(QStringLiteral("Other"));
        dlg.reject();
        QCOMPARE(m_store->ToBytes(), before);
    }
};

SCRIVA_QTEST(TestCaptureSettingsDlg)
#include "test_CCaptureSettingsDlg.moc"
