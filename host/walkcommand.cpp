#include "host/walkcommand.h"

#include "host/admincommands.h"
#include "model/cworder.h"
#include "model/flowcheck.h"
#include "model/linkcondition.h"
#include "resources/stringtable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cstdio>
#include <vector>

namespace korvel {
namespace {

void print(const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stdout);
}

QString KindName(WalkMove::Kind kind)
{
    switch (kind) {
    case WalkMove::Kind::Arrive:
        return QStringLiteral("arrive");
    case WalkMove::Kind::Join:
        return QStringLiteral("join");
    case WalkMove::Kind::Loop:
        return QStringLiteral("loop");
    case WalkMove::Kind::End:
        return QStringLiteral("end");
    }
    return {};
}

// How the walk's points are named in its output.
class PointNames final {
public:
    explicit PointNames(cWorder& frame) : m_frame(frame) {}
    // "Start", "End", or the step's name ("" for none).
    QString Name(const QString& id) const
    {
        if (id == BeginNodeID)
            return LoadResString(81);
        if (id == EndNodeID)
            return LoadResString(80);
        const cNode* node = m_frame.AllNode().OneNode(id);
        return node ? node->WorkOrderNodeName() : QString();
    }
    // "Start", "End", or "ID name".
    QString Shown(const QString& id) const
    {
        if (id == BeginNodeID || id == EndNodeID)
            return Name(id);
        return (id + u' ' + Name(id)).trimmed();
    }
    QString LinkName(const QString& code) const
    {
        const cLink* link = m_frame.AllLink().OneLinks(code);
        return link ? link->WorkOrderLinkName() : QString();
    }
    QStringList Shown(const QStringList& ids) const
    {
        QStringList shown;
        for (const QString& id : ids)
            shown << Shown(id);
        return shown;
    }

private:
    cWorder& m_frame;
};

// The moves as a tree from Start: a step left by one move goes on at the same depth; one left by
// several shows each branch as "- " with what follows it indented under it.
void PrintPath(const FlowWalk& walk, const PointNames& names)
{
    QHash<QString, QList<qsizetype>> out; // move indices by the step they leave
    for (qsizetype i = 0; i < walk.moves.size(); ++i)
        out[walk.moves.at(i).from] << i;
    const QSet<QString> deadEnds(walk.deadEnds.cbegin(), walk.deadEnds.cend());
    const QString stops = QStringLiteral("  ") + LoadResString(2514);
    print(names.Name(BeginNodeID) + (deadEnds.contains(BeginNodeID) ? stops : QString()));
    struct Line {
        qsizetype move;
        qsizetype indent;
        bool branch;
    };
    // A stack of its own: a way of thousands of steps is as deep.
    std::vector<Line> pending;
    const auto pushMovesFrom = [&](const QString& point, qsizetype indent) {
        const QList<qsizetype> moves = out.value(point);
        for (auto it = moves.crbegin(); it != moves.crend(); ++it)
            pending.push_back({*it, indent, moves.size() > 1});
    };
    pushMovesFrom(BeginNodeID, 0);
    while (!pending.empty()) {
        const Line line = pending.back();
        pending.pop_back();
        const WalkMove& move = walk.moves.at(line.move);
        QString text = QStringLiteral("%1%2%3 %4 → %5")
                           .arg(QString(line.indent, u' '), line.branch ? QStringLiteral("- ") : QString(),
                                move.link, names.LinkName(move.link), names.Shown(move.to));
        if (move.kind == WalkMove::Kind::Loop)
            text += QStringLiteral("  ") + FormatMessage(2515, {move.to});
        else if (move.kind == WalkMove::Kind::Join)
            text += QStringLiteral("  ") + FormatMessage(2516, {move.to});
        else if (deadEnds.contains(move.to))
            text += stops;
        print(text);
        if (move.kind == WalkMove::Kind::Arrive)
            pushMovesFrom(move.to, line.indent + (line.branch ? 2 : 0));
    }
}

QJsonArray JsonList(const QStringList& texts)
{
    return QJsonArray::fromStringList(texts);
}

} // namespace

WalkCommand::WalkCommand(const QStringList& assignments)
{
    for (const QString& assignment : assignments) {
        const qsizetype equals = assignment.indexOf(u'=');
        const QString name = assignment.left(equals).trimmed();
        if (equals < 0)
            m_error = FormatMessage(2510, {assignment});
        else if (name.isEmpty())
            m_error = FormatMessage(2511, {assignment});
        else if (m_values.contains(VariableKey(name)))
            m_error = FormatMessage(2512, {name});
        if (!m_error.isEmpty())
            return;
        m_values.insert(VariableKey(name), assignment.mid(equals + 1));
        m_names << name;
    }
}

int WalkCommand::Run(cWorder& frame, bool json) const
{
    QSet<QString> tested;
    for (const WalkVariable& variable : WalkVariables(frame))
        tested.insert(VariableKey(variable.name));
    for (const QString& name : m_names)
        if (!tested.contains(VariableKey(name)))
            printError(FormatMessage(2513, {frame.WorkOrderFrame_ID, name}));

    const FlowWalk walk = WalkFlow(frame, m_values);
    const PointNames names(frame);
    if (json) {
        QJsonArray moves;
        for (const WalkMove& move : walk.moves)
            moves.append(QJsonObject{{QStringLiteral("from"), move.from},
                                     {QStringLiteral("link"), move.link},
                                     {QStringLiteral("linkName"), names.LinkName(move.link)},
                                     {QStringLiteral("to"), move.to},
                                     {QStringLiteral("toName"), names.Name(move.to)},
                                     {QStringLiteral("kind"), KindName(move.kind)}});
        QJsonObject values;
        for (const QString& name : m_names)
            values.insert(name, m_values.value(VariableKey(name)));
        const QJsonObject result{{QStringLiteral("frame"), frame.WorkOrderFrame_ID},
                                 {QStringLiteral("values"), values},
                                 {QStringLiteral("moves"), moves},
                                 {QStringLiteral("passed"), JsonList(walk.passed)},
                                 {QStringLiteral("deadEnds"), JsonList(walk.deadEnds)},
                                 {QStringLiteral("unreached"), JsonList(walk.unreached)},
                                 {QStringLiteral("unsetVariables"), JsonList(walk.unsetVariables)},
                                 {QStringLiteral("reachedEnd"), walk.reachedEnd},
                                 {QStringLiteral("reachesEnd"), walk.ReachesEnd()}};
        std::fputs(QJsonDocument(result).toJson(QJsonDocument::Indented).constData(), stdout);
        return walk.ReachesEnd() ? 0 : 1;
    }

    QStringList given;
    for (const QString& name : m_names)
        given << name + u'=' + m_values.value(VariableKey(name));
    print(given.isEmpty()
              ? FormatMessage(2517, {frame.WorkOrderFrame_ID, frame.WorkOrderFrameName})
              : FormatMessage(2518, {frame.WorkOrderFrame_ID, frame.WorkOrderFrameName, given.join(u' ')}));
    PrintPath(walk, names);
    if (!walk.unreached.isEmpty())
        print(FormatMessage(2519, {names.Shown(walk.unreached).join(QStringLiteral(", "))}));
    if (!walk.unsetVariables.isEmpty())
        print(FormatMessage(2520, {walk.unsetVariables.join(QStringLiteral(", "))}));
    if (walk.ReachesEnd())
        print(LoadResString(2521));
    else if (walk.reachedEnd)
        print(FormatMessage(2522, {names.Shown(walk.deadEnds).join(QStringLiteral(", "))}));
    else
        print(LoadResString(2523));
    return walk.ReachesEnd() ? 0 : 1;
}

QString WalkCommand::Help()
{
    return LoadResString(2524) + QStringLiteral("\n\n") + LoadResString(2525);
}

} // namespace korvel
