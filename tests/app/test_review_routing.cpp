// The order in which a command is offered: the form whose button sent it, the
// active view, the document, the main frame, then the application; the first
// that handles it wins, the same chain decides whether it is enabled, and a
// disabled or unknown command runs nowhere.

#include "QtTestRegistry.h"
#include "app/commands/CommandRouter.h"

#include <QSignalSpy>
#include <QtTest>
#include <map>

namespace {

// A target that answers for the ids it is given and records what reached it.
class Target : public ICommandTarget
{
public:
    explicit Target(QString name, std::vector<QString>* log) : m_name(std::move(name)), m_log(log)
    {
    }
    std::map<int, CommandState> handles;

    bool OnCommand(int id) override
    {
        m_log->push_back(m_name + QStringLiteral(" %1").arg(id));
        return handles.count(id) != 0;
    }
    std::optional<CommandState> OnUpdateCommand(int id) const override
    {
        const auto it = handles.find(id);
        return it == handles.end() ? std::nullopt : std::optional<CommandState>(it->second);
    }

private:
    QString m_name;
    std::vector<QString>* m_log;
};

} // namespace

class TestReviewRouting : public QObject
{
    Q_OBJECT
private slots:
    void firstHandlerInTheChainWins()
    {
        std::vector<QString> log;
        Target form(QStringLiteral("form"), &log);
        Target view(QStringLiteral("view"), &log);
        Target doc(QStringLiteral("doc"), &log);
        Target frame(QStringLiteral("frame"), &log);
        std::map<int, CommandState> appHandles;
        CommandRouter router;
        ICommandTarget* active = &view;
        router.setActiveViewProvider([&] { return active; });
        router.setDocument(&doc);
        router.setFrame(&frame);
        router.setApplicationHandler([&](int id) {
            log.push_back(QStringLiteral("app %1").arg(id));
            return appHandles.count(id) != 0;
        });
        router.setApplicationUpdateRule([&](int id) -> std::optional<CommandState> {
            const auto it = appHandles.find(id);
            return it == appHandles.end() ? std::nullopt : std::optional<CommandState>(it->second);
        });
        QSignalSpy dispatched(&router, &CommandRouter::commandDispatched);

        // Everyone handles 1: the view wins, nobody after it is asked.
        for (Target* t : {&view, &doc, &frame})
            t->handles[1] = CommandState::Enabled();
        appHandles[1] = CommandState::Enabled();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, std::vector<QString>{QStringLiteral("view 1")});

        // Without the view's handler the document is next, then the frame, then the application.
        view.handles.erase(1);
        log.clear();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, (std::vector<QString>{QStringLiteral("view 1"), QStringLiteral("doc 1")}));
        doc.handles.erase(1);
        log.clear();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, (std::vector<QString>{QStringLiteral("view 1"), QStringLiteral("doc 1"),
                                            QStringLiteral("frame 1")}));
        frame.handles.erase(1);
        log.clear();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, (std::vector<QString>{QStringLiteral("view 1"), QStringLiteral("doc 1"),
                                            QStringLiteral("frame 1"), QStringLiteral("app 1")}));

        // The state comes from the first target that answers, in the same order.
        view.handles[2] = CommandState::Enabled(false);
        doc.handles[2] = CommandState::Enabled(true);
        QCOMPARE(router.state(2).enabled, false);
        log.clear();
        QVERIFY(!router.dispatch(2)); // disabled: runs nowhere
        QVERIFY(log.empty());
        active = nullptr; // no active view: the document answers
        QCOMPARE(router.state(2).enabled, true);
        QVERIFY(router.dispatch(2));
        QCOMPARE(log, std::vector<QString>{QStringLiteral("doc 2")});

        // The form that sent a command comes before the active view.
        active = &view;
        form.handles[3] = CommandState::Enabled();
        view.handles[3] = CommandState::Enabled();
        log.clear();
        QVERIFY(router.dispatchFrom(&form, 3));
        QCOMPARE(log, std::vector<QString>{QStringLiteral("form 3")});
        QVERIFY(!router.state(4).enabled); // nobody answers: disabled
        log.clear();
        QVERIFY(!router.dispatch(4));
        QVERIFY(log.empty());
        QCOMPARE(dispatched.count(), 6);
    }
};

SCRIVA_QTEST(TestReviewRouting)
#include "test_review_routing.moc"
