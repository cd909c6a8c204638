// Language packs, the message box, the recent-file list and the About box.

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/shell/AboutDialog.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/LanguagePack.h"
#include "app/shell/RecentFiles.h"
#include "app/widgets/CStaticLink.h"
#include "config/AppPaths.h"
#include "config/Languages.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray encodedImage(int w, int h, const char* format)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class TestAppShell : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_data;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_data = m_dir.path();
        auto en = apptest::shellStrings(QStringLiteral("EN"));
        en[62001] = QStringLiteral("%1 to %2");
        const QByteArray menu =
            R"([{"text":"&File","items":[{"id":57601,"text":"&Open...\tCtrl+O"}]}])";
        QVERIFY(
            apptest::buildPack(m_data, scriva::languages::PackFile(1), en,
                               {{QStringLiteral("menu128.json"), menu},
                                {QStringLiteral("toolbar128.json"), "[57601, 0, 57603]"},
                                {QStringLiteral("bitmap161.bmp"), encodedImage(56, 28, "BMP")},
                                {QStringLiteral("cursor175.png"), encodedImage(32, 20, "PNG")}}));
        QVERIFY(apptest::buildPack(m_data, scriva::languages::PackFile(7),
                                   apptest::shellStrings(QStringLiteral("DE"))));
        QFile garbage(m_data + QLatin1Char('/') + scriva::languages::PackFile(6));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("this is not a resource file");
    }

    void chosenPackWithEnglishFallback()
    {
        LanguagePack pack;
        QVERIFY(pack.Load(m_data, 7));
        QCOMPARE(pack.Index(), 7);
        QCOMPARE(pack.String(scriva::str::kBoxTitle), QStringLiteral("DE Scriva"));
        QCOMPARE(pack.String(62001), QStringLiteral("%1 to %2")); // only English has it
        QVERIFY(!pack.HasString(99));
        QCOMPARE(pack.String(99), QString());
        QCOMPARE(pack.DialogTitle(100), QStringLiteral("DE About"));
        QCOMPARE(pack.DialogText(100, 1087), QStringLiteral("DE Scriva version"));
        // Menus, toolbars and bitmaps the chosen pack lacks come from English.
        const QJsonArray menu = pack.Menu(128).toArray();
        QCOMPARE(menu.size(), 1);
        QCOMPARE(menu.at(0)[QStringLiteral("items")][0][QStringLiteral("id")].toInt(),
                 scriva::cmd::kFileOpen);
        QCOMPARE(pack.Toolbar(128).toArray().size(), 3);
        QVERIFY(pack.Menu(155).isUndefined());
        QCOMPARE(pack.Bitmap(161).size(), QSize(56, 28));
        QVERIFY(pack.Bitmap(scriva::res::kToolBarNormal).isNull());
        const QCursor cursor = pack.Cursor(scriva::res::kPanCursor);
        QCOMPARE(cursor.hotSpot(), QPoint(16, 10));
        pack.Unload();
        QVERIFY(!pack.IsLoaded());
        QVERIFY(!QFile::exists(QStringLiteral(":/lang/strings.json")));
        QVERIFY(!QFile::exists(QStringLiteral(":/lang-en/strings.json")));
    }

    void packsThatDoNotLoad()
    {
        LanguagePack pack;
        QVERIFY(!pack.Load(m_data, 6)); // not a resource file
        QVERIFY(!pack.Load(m_data, 8)); // missing
        QVERIFY(!pack.Load(m_data, 0));
        QVERIFY(!pack.Load(m_data, 12));
        QVERIFY(!pack.IsLoaded());
        QVERIFY(!QFile::exists(QStringLiteral(":/lang/strings.json")));
        // A failed load leaves an earlier pack unloaded, not half-registered.
        QVERIFY(pack.Load(m_data, 1));
        QVERIFY(!pack.Load(m_data, 8));
        QCOMPARE(pack.String(scriva::str::kBoxTitle), QString());
    }

    // The packs the program ships load through the same loader, in every
    // language, with the texts start-up and the message box need.
    void shippedPacks()
    {
        const QString data = scriva::dataFolder();
        for (int index = 1; index <= scriva::languages::kCount; ++index) {
            LanguagePack pack;
            QVERIFY2(pack.Load(data, index), qPrintable(data + scriva::languages::PackFile(index)));
            for (int id :
                 {scriva::str::kBoxTitle, scriva::str::kAlreadyRunning, scriva::str::kNoImageHere,
                  scriva::str::kNoPhotoHere, scriva::str::kNotInImageMode,
                  scriva::cmd::kFirstRecentFile, scriva::str::DialogText(scriva::form::kAbout),
                  scriva::str::DialogText(scriva::form::kAbout, scriva::ctl::kAboutVersion)})
                QVERIFY2(!pack.String(id).isEmpty(), qPrintable(QString::number(id)));
            for (int id = scriva::str::kButtonYes; id <= scriva::str::kButtonHelp; ++id)
                QVERIFY(!pack.String(id).isEmpty());
            QVERIFY(!pack.Menu(128).toArray().isEmpty());
            QVERIFY(!pack.Toolbar(128).toArray().isEmpty());
            QVERIFY(!pack.Bitmap(scriva::res::kToolBarDisabled).isNull());
        }
    }

    void messageBoxRules_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("tag");
        QTest::newRow("English") << 1 << QStringLiteral("EN");
        QTest::newRow("German") << 7 << QStringLiteral("DE");
    }

    void messageBoxRules()
    {
        QFETCH(int, language);
        QFETCH(QString, tag);
        LanguagePack pack;
        QVERIFY(pack.Load(m_data, language));
        LanguagePack::SetActive(&pack);
        using B = QMessageBox;
        auto box = MakeAppMessageBox(nullptr, QStringLiteral("a\r\nb\n\rc\rd"), B::Ok, B::NoIcon);
        QCOMPARE(box->windowTitle(), tag + QStringLiteral(" Scriva"));
        QCOMPARE(box->text(), QStringLiteral("a\nb\nc\nd"));
        QCOMPARE(box->icon(), B::Warning);
        QCOMPARE(box->button(B::Ok)->text(), tag + QStringLiteral("-OK"));
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);

        box =
            MakeAppMessageBox(nullptr, QStringLiteral("x"), B::Yes | B::No | B::Cancel, B::NoIcon);
        QCOMPARE(box->icon(), B::Warning);
        QCOMPARE(box->button(B::Yes)->text(), tag + QStringLiteral("-Yes"));
        QCOMPARE(box->button(B::No)->text(), tag + QStringLiteral("-No"));
        QCOMPARE(box->button(B::Cancel)->text(), tag + QStringLiteral("-Cancel"));
        QCOMPARE(MakeAppMessageBox(nullptr, {}, B::Ok | B::Cancel, B::NoIcon)->icon(), B::Warning);
        QCOMPARE(MakeAppMessageBox(nullptr, {}, B::Yes | B::No, B::NoIcon)->icon(), B::Warning);

        box = MakeAppMessageBox(nullptr, {}, B::Abort | B::Retry | B::Ignore, B::NoIcon);
        QCOMPARE(box->icon(), B::NoIcon);
        QCOMPARE(box->button(B::Abort)->text(), tag + QStringLiteral("-Abort"));
        QCOMPARE(box->button(B::Retry)->text(), tag + QStringLiteral("-Retry"));
        QCOMPARE(box->button(B::Ignore)->text(), tag + QStringLiteral("-Ignore"));
        QCOMPARE(MakeAppMessageBox(nullptr, {}, B::Retry | B::Cancel, B::NoIcon)->icon(),
                 B::NoIcon);
        QCOMPARE(MakeAppMessageBox(nullptr, {}, B::Ok, B::Critical)->icon(), B::Critical);
        box = MakeAppMessageBox(nullptr, {}, B::Close | B::Help, B::Information);
        QCOMPARE(box->button(B::Close)->text(), tag + QStringLiteral("-Close"));
        QCOMPARE(box->button(B::Help)->text(), tag + QStringLiteral("-Help"));
        QCOMPARE(MakeAppMessageBox(nullptr, {}, B::Ok, B::NoIcon, QStringLiteral("occur error"))
                     ->windowTitle(),
                 QStringLiteral("occur error"));

        apptest::BoxCatcher catcher(B::No);
        QCOMPARE(AppMessageBox(nullptr, scriva::str::kNoImageHere, B::Yes | B::No), B::No);
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].text, tag + QStringLiteral(" no image"));
        QCOMPARE(catcher.boxes[0].icon, B::Warning);
        QCOMPARE(catcher.boxes[0].title, tag + QStringLiteral(" Scriva"));
        LanguagePack::SetActive(nullptr);
    }

    void messageBoxBeforeAnyPack()
    {
        LanguagePack::SetActive(nullptr);
        auto box =
            MakeAppMessageBox(nullptr, QStringLiteral("x"), QMessageBox::Ok, QMessageBox::Critical);
        QCOMPARE(box->windowTitle(), QCoreApplication::applicationName());
        QVERIFY(!box->button(QMessageBox::Ok)->text().contains(QStringLiteral("EN")));
    }

    void recentFileList()
    {
        QTemporaryDir dir;
        const QString profile = dir.filePath(QStringLiteral("profile.ini"));
        RecentFiles recent(profile);
        recent.Load();
        QMenu menu;
        QStringList opened;
        recent.SetMenu(&menu, QStringLiteral("Recent File"),
                       [&](const QString& path) { opened << path; });
        QCOMPARE(menu.actions().size(), 1);
        QCOMPARE(menu.actions()[0]->text(), QStringLiteral("Recent File"));
        QCOMPARE(menu.actions()[0]->data().toInt(), scriva::cmd::kFirstRecentFile);
        QVERIFY(!menu.actions()[0]->isEnabled());

        for (const char* name : {"/p/a.jpg", "/p/b.jpg", "/p/c&d.jpg", "/p/e.jpg", "/p/f.jpg"})
            recent.Add(QString::fromLatin1(name));
        recent.Add(QStringLiteral("/p/c&d.jpg")); // moves to the top, no duplicate
        QCOMPARE(recent.Paths(), (QStringList{"/p/c&d.jpg", "/p/f.jpg", "/p/e.jpg", "/p/b.jpg"}));
        QCOMPARE(menu.actions().size(), 4);
        QCOMPARE(menu.actions()[0]->text(), QStringLiteral("&1 /p/c&&d.jpg"));
        QVERIFY(menu.actions()[3]->isEnabled());
        menu.actions()[1]->trigger();
        QCOMPARE(opened, QStringList{QStringLiteral("/p/f.jpg")});

        RecentFiles again(profile); // what the next start reads
        again.Load();
        QCOMPARE(again.Paths(), recent.Paths());

        recent.Clear();
        QVERIFY(recent.IsEmpty());
        QCOMPARE(menu.actions().size(), 1);
        QVERIFY(!menu.actions()[0]->isEnabled());
        QSettings stored(profile, QSettings::IniFormat);
        QVERIFY(!stored.contains(QStringLiteral("Recent File List/File1")));
    }

    void aboutBox()
    {
        QCOMPARE(
            AboutDialog::VersionLine(QStringLiteral("Scriva"), QStringLiteral("2.1"), QString()),
            QStringLiteral("Scriva 2.1 (  )"));
        QCOMPARE(AboutDialog::VersionLine(QStringLiteral("S"), QStringLiteral("1"),
                                          QStringLiteral("5.3")),
                 QStringLiteral("S 1 ( 5.3 )"));
        LanguagePack pack;
        QVERIFY(pack.Load(m_data, 7));
        AboutDialog dialog(pack, QStringLiteral("https://example.org/a?b=1&c=2"),
                           QStringLiteral("3.0"), QStringLiteral("5.3.0"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("DE About"));
        auto* version = dialog.findChild<QLabel*>(QStringLiteral("id_1087"));
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("DE Scriva version 3.0 ( 5.3.0 )"));
        auto* link = dialog.findChild<CStaticLink*>(QStringLiteral("id_1082"));
        QVERIFY(link);
        QCOMPARE(link->text(), QStringLiteral("https://example.org/a?b=1&c=2"));
        QCOMPARE(link->Url(), QStringLiteral("https://example.org/a?b=1&c=2"));
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("id_1"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("DE-OK"));
    }
};

SCRIVA_QTEST(TestAppShell)
#include "config/CommandIds.h"
#include "test_app_shell.moc"
