// A designer process for the stress tests, which kill it at random moments or race eight of them.
// It opens DATABASE as korvel's --db does and works through the real host object and model:
//
//   save DATABASE FRAME         saves FRAME again and again; round R renames every step and link to
//                               "ID vR" and moves every step to left R (R goes on from the database)
//   copy DATABASE FRAME PREFIX  copies FRAME to PREFIX1, PREFIX2, ... (Save as)
//   lock DATABASE FRAME STAFF   as STAFF, takes FRAME's lock per "go" line, gives it back per "release"
//   write DATABASE FRAME FILE   per line "copy|import ID", Save as or imports FILE as ID: "done|error ID"
//   edit DATABASE FRAME STAFF   as STAFF, per line "open" (reads FRAME: "open editable|read-only"),
//                               "lock" ("locked 1|-1"), "unlock" ("unlocked 1|-1") or "save" (renames
//                               a step: "saved RESULT", and after a refusal a blank and its reason)
//
// It prints "saving R" / "saved R", "copying ID" / "copied ID", or "ready", then "won" or
// "lost HOLDER_ID<TAB>HOLDER_NAME", and "released 1|0"; on a failure "error TEXT" (status 1).

#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "exchange/frameexchange.h"
#include "host/databaselocation.h"
#include "model/cworder.h"
#include "tests/support/testhost.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

using namespace korvel;
using namespace Qt::StringLiterals;

namespace {

void Say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int Fail(const QString& what, const TestHost& host)
{
    Say(u"error %1: %2"_s.arg(what, host.logLines().join(u" | "_s)));
    return 1;
}

int SaveLoop(cWorder& frame, const TestHost& host)
{
    const auto& nodes = frame.AllNode().AllNode();
    if (nodes.IsEmpty())
        return Fail(u"the frame has no steps"_s, host);
    for (qint32 round = nodes.begin()->second->NodeLeft() + 1;; ++round) {
        const QString suffix = u" v%1"_s.arg(round);
        for (const auto& [id, node] : nodes) {
            node->setWorkOrderNodeName(id + suffix);
            node->setNodeLeft(round);
        }
        for (const auto& [id, link] : frame.AllLink().AllLinks())
            link->setWorkOrderLinkName(id + suffix);
        Say(u"saving %1"_s.arg(round));
        if (frame.SaveMe() != 1)
            return Fail(u"save of round %1"_s.arg(round), host);
        Say(u"saved %1"_s.arg(round));
    }
}

int CopyLoop(cWorder& frame, const TestHost& host, const QString& prefix)
{
    for (int n = 1;; ++n) {
        const QString id = prefix + QString::number(n);
        Say(u"copying "_s + id);
        if (frame.Saveas(id, id) != 1)
            return Fail(u"copy to "_s + id, host);
        Say(u"copied "_s + id);
    }
}

int WriteLoop(cWorder& frame, const QString& file)
{
    for (std::string line; std::getline(std::cin, line);) {
        const QString id = QString::fromStdString(line).section(u' ', 1);
        try {
            if (line.starts_with("import"))
                ImportFramesFromFile(file, id);
            else if (frame.Saveas(id, id) != 1)
                throw KorvelError(LastLoggedError());
            Say(u"done "_s + id);
        } catch (const std::exception& e) {
            Say(u"error %1 %2"_s.arg(id, describe(e)));
        }
    }
    return 0;
}

int LockLoop(TestHost& host, const QString& frameId, const QString& staff)
{
    DatabaseServices& locks = host.services();
    Say(u"ready"_s);
    for (std::string line; std::getline(std::cin, line);) {
        if (line == "go") {
            QString name, id;
            if (locks.LockRecord(u"Korvel"_s, frameId, staff) == 1) {
                Say(u"won"_s);
            } else {
                locks.GetLockOwner(name, id);
                Say(u"lost %1\t%2"_s.arg(id, name));
            }
        } else if (line == "release") {
            Say(u"released %1"_s.arg(locks.UnlockRecord(u"Korvel"_s, frameId, staff)));
        }
    }
    return 0;
}

int EditLoop(const QString& frameId)
{
    cWorder frame;
    frame.LoadList(frameId, QString(), false);
    Say(u"ready"_s);
    for (std::string line; std::getline(std::cin, line);) {
        if (line == "open") {
            frame.LoadFlag = 0;
            frame.LoadOne();
            Say(frame.LockFlag() == 1 ? u"open editable"_s : u"open read-only"_s);
        } else if (line == "lock") {
            Say(u"locked %1"_s.arg(frame.LockMe()));
        } else if (line == "unlock") {
            Say(u"unlocked %1"_s.arg(frame.UnlockMe()));
        } else if (line == "save" && !frame.AllNode().AllNode().IsEmpty()) {
            cNode& step = *frame.AllNode().AllNode().begin()->second;
            step.setWorkOrderNodeName(step.WorkOrderNodeName() + u'+');
            Say(u"saved %1 %2"_s.arg(frame.SaveMe()).arg(frame.SaveRefusal()).trimmed());
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (args.size() < 4 || (mode != u"save"_s && args.size() < 5)) {
        std::fprintf(stderr, "usage: korvel_stress_child save|copy|lock|write|edit DATABASE FRAME [ARGUMENT]\n");
        return 2;
    }
    QString error;
    QSqlDatabase database = DatabaseLocation::parse(args[2]).open(u"stress"_s, error);
    if (!database.isOpen()) {
        Say(u"error "_s + error);
        return 1;
    }
    try {
        TestHost host(database, mode == u"lock"_s || mode == u"edit"_s ? args[4] : u"stress"_s);
        AddinSession session(host);
        if (mode == u"lock"_s)
            return LockLoop(host, args[3], args[4]);
        if (mode == u"edit"_s)
            return EditLoop(args[3]);
        cWorder frame;
        frame.LoadList(args[3], QString());
        frame.LoadOne();
        if (mode == u"save"_s && frame.LockMe() != 1) // a save needs the lock (a killed child's is taken over)
            return Fail(u"lock"_s, host);
        if (mode == u"write"_s)
            return WriteLoop(frame, args[4]);
        return mode == u"save"_s ? SaveLoop(frame, host) : CopyLoop(frame, host, args[4]);
    } catch (const std::exception& e) {
        Say(u"error "_s + describe(e));
        return 1;
    }
}
