#include "model/framediff.h"

#include <functional>
#include <gtest/gtest.h>

namespace korvel {
namespace {

NodeValues Step(const QString& id, qint32 left)
{
    NodeValues step;
    step.WorkOrderFrame_ID = QStringLiteral("F1");
    step.WorkOrderNode_ID = id;
    step.WorkOrderNodeName = QStringLiteral("Step ") + id;
    step.ExpiredPeriod = 24;
    step.Left = left;
    step.Top = 50;
    return step;
}

LinkValues Link(const QString& code, const QString& from, const QString& to)
{
    return {QStringLiteral("F1"), code, QStringLiteral("Go ") + code, to, from, 1, {}, {}, {}};
}

FrameRecord Flow()
{
    FrameRecord flow;
    flow.header.WorkOrderFrame_ID = QStringLiteral("F1");
    flow.header.WorkOrderFrameName = QStringLiteral("Complaints");
    flow.header.ExpiredPeriod = 24;
    flow.audit = {QStringLiteral("S1"), QStringLiteral("2026-01-01 08:00:00"), {}, {}};
    flow.steps = {Step(QStringLiteral("N1"), 0), Step(QStringLiteral("N2"), 100), Step(QStringLiteral("N3"), 200)};
    flow.steps[2].ReturnOldStep = QStringLiteral("N1");
    flow.links = {Link(QStringLiteral("L1"), QStringLiteral("N1"), QStringLiteral("N2")),
                  Link(QStringLiteral("L2"), QStringLiteral("N2"), QStringLiteral("N3"))};
    return flow;
}

// The diff in short: one entry per item, its changed fields as "column before>after".
QStringList Changes(const FrameDiff& diff)
{
    const auto fields = [](const QList<FieldChange>& changes) {
        QStringList parts;
        for (const FieldChange& f : changes)
            parts << f.field + QLatin1Char(' ') + f.before + QLatin1Char('>') + f.after;
        return parts.join(QStringLiteral(", "));
    };
    QStringList out;
    if (!diff.header.isEmpty())
        out << QStringLiteral("header ") + fields(diff.header);
    for (const NodeValues& step : diff.stepsAdded)
        out << QStringLiteral("+step ") + step.WorkOrderNode_ID;
    for (const NodeValues& step : diff.stepsRemoved)
        out << QStringLiteral("-step ") + step.WorkOrderNode_ID;
    for (const StepChange& c : diff.stepsChanged)
        out << QStringLiteral("~step %1%2 %3")
                   .arg(c.after.WorkOrderNode_ID,
                        c.moved ? QStringLiteral(" moved %1>%2").arg(c.before.Left).arg(c.after.Left) : QString(),
                        fields(c.fields));
    for (const LinkValues& link : diff.linksAdded)
        out << QStringLiteral("+link ") + link.WorkOrderLink_ID;
    for (const LinkValues& link : diff.linksRemoved)
        out << QStringLiteral("-link ") + link.WorkOrderLink_ID;
    for (const LinkChange& c : diff.linksChanged)
        out << QStringLiteral("~link ") + c.after.WorkOrderLink_ID + QLatin1Char(' ') + fields(c.fields);
    return out;
}

// Pairs of flows (the newer one made from the base by `change`) and what separates them, with the
// summary line a version shows for it.
TEST(FrameDiffTest, FindsWhatChangedBetweenTwoFlows)
{
    const struct {
        const char* what;
        std::function<void(FrameRecord&)> change;
        QStringList changes;
        QString summary;
    } cases[] = {
        {"audit and order only",
         [](FrameRecord& f) {
             f.audit.ModifiedBy = QStringLiteral("S2");
             std::reverse(f.steps.begin(), f.steps.end());
             std::reverse(f.links.begin(), f.links.end());
         },
         {}, QStringLiteral("no change")},
        {"step added", [](FrameRecord& f) { f.steps.append(Step(QStringLiteral("N4"), 300)); },
         {QStringLiteral("+step N4")}, QStringLiteral("+1 step")},
        {"steps added and removed, in each flow's order",
         [](FrameRecord& f) {
             f.steps = {Step(QStringLiteral("N5"), 0), f.steps[1], Step(QStringLiteral("N4"), 0)};
         },
         {QStringLiteral("+step N5"), QStringLiteral("+step N4"), QStringLiteral("-step N1"),
          QStringLiteral("-step N3")},
         QStringLiteral("+2 steps, −2 steps")},
        {"fields changed",
         [](FrameRecord& f) {
             f.steps[1].ExpiredPeriod = 48;
             f.steps[1].HandleBy_ID = QStringLiteral("S7");
         },
         {QStringLiteral("~step N2 ExpiredPeriod 24>48, HandleBy_ID >S7")}, QStringLiteral("1 step changed")},
        {"only moved", [](FrameRecord& f) { f.steps[1].Top = 90; },
         {QStringLiteral("~step N2 moved 100>100 ")}, QStringLiteral("1 step moved")},
        {"moved and changed",
         [](FrameRecord& f) {
             f.steps[0].Left = 5;
             f.steps[0].RefuseFlag = 1;
             f.steps[2].Left = 7;
         },
         {QStringLiteral("~step N1 moved 0>5 RefuseReply 0>1"), QStringLiteral("~step N3 moved 200>7 ")},
         QStringLiteral("1 step changed, 2 steps moved")},
        {"IDs in another letter case",
         [](FrameRecord& f) {
             f.steps[0].WorkOrderNode_ID = QStringLiteral("n1");
             f.steps[2].ReturnOldStep = QStringLiteral("n1");
             f.links[0].WorkOrderLink_ID = QStringLiteral("l1");
             f.links[0].FatherNode_ID = QStringLiteral("n1");
         },
         {}, QStringLiteral("no change")},
        {"a link's end and condition",
         [](FrameRecord& f) {
             f.links[1].SonNode_ID = QStringLiteral("N1");
             f.links[0].AlwaysOpen = 0;
             f.links[0].VariantValue = QStringLiteral("VIP");
         },
         {QStringLiteral("~link L1 AlwaysOpen 1>0, VariantValue >VIP"), QStringLiteral("~link L2 SonNode_ID N3>N1")},
         QStringLiteral("2 links changed")},
        {"links added and removed",
         [](FrameRecord& f) {
             f.links.removeAt(0);
             f.links.append(Link(QStringLiteral("L3"), QStringLiteral("N3"), QStringLiteral("N1")));
         },
         {QStringLiteral("+link L3"), QStringLiteral("-link L1")}, QStringLiteral("+1 link, −1 link")},
        {"header",
         [](FrameRecord& f) {
             f.header.WorkOrderFrame_ID = QStringLiteral("F2");
             f.header.ExpiredPeriod = 48;
             f.header.ReplyAddress = QStringLiteral("help@example.com");
         },
         {QStringLiteral("header ExpiredPeriod 24>48, ReplyAddress >help@example.com")},
         QStringLiteral("Time limit length 24 → 48, Notification address Null → help@example.com")},
        {"all kinds",
         [](FrameRecord& f) {
             f.header.WorkOrderFrameName = QStringLiteral("Claims");
             f.steps.append(Step(QStringLiteral("N4"), 300));
             f.steps[2].Left = 0;
             f.links.removeAt(1);
         },
         {QStringLiteral("header WorkOrderFrameName Complaints>Claims"), QStringLiteral("+step N4"),
          QStringLiteral("~step N3 moved 200>0 "), QStringLiteral("-link L2")},
         QStringLiteral("+1 step, −1 link, 1 step moved; WorkOrder Complaints → Claims")},
    };
    for (const auto& c : cases) {
        FrameRecord newer = Flow();
        c.change(newer);
        const FrameDiff diff = DiffFrames(Flow(), newer);
        const QString separator = QStringLiteral(" | ");
        EXPECT_EQ(Changes(diff).join(separator).toStdString(), c.changes.join(separator).toStdString()) << c.what;
        EXPECT_EQ(diff.IsEmpty(), c.changes.isEmpty()) << c.what;
        EXPECT_EQ(SummaryText(StoredSummary(diff)).toStdString(), c.summary.toStdString()) << c.what;
        EXPECT_EQ(StoredSummary(Flow(), newer), StoredSummary(diff)) << c.what; // a save's, counted
    }
    // A stored summary this version cannot read is shown as it stands.
    for (const QString& stored : {QStringLiteral("as found"), QStringLiteral("{\"steps\":[1]}")})
        EXPECT_EQ(SummaryText(stored), stored);
}

} // namespace
} // namespace korvel
