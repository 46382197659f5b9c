#include "tests/support/generatedflow.h"

#include "model/cworder.h"

#include <gtest/gtest.h>

namespace korvel {

QString StepId(int n)
{
    return QStringLiteral("G%1").arg(n);
}

void AddStepAt(cWorder& frame, const QString& id, int left, int top)
{
    NodeValues step;
    step.WorkOrderNode_ID = id;
    step.Left = left;
    step.Top = top;
    ASSERT_EQ(frame.AllNode().NewNode(step), 1);
}

void AddLinkBetween(cWorder& frame, const QString& from, const QString& to)
{
    LinkValues link;
    link.WorkOrderLink_ID = QStringLiteral("L%1").arg(frame.AllLink().AllLinks().Count());
    link.WorkOrderLinkName = QStringLiteral("on to %1").arg(to);
    link.FatherNode_ID = from;
    link.SonNode_ID = to;
    ASSERT_EQ(frame.AllLink().NewMe(link), 1);
}

void GenerateFlow(cWorder& frame, int steps)
{
    for (int n = 1; n <= steps + 2; ++n)
        AddStepAt(frame, StepId(n), 1000 * (n % 7), 300 * (n % 5));
    AddLinkBetween(frame, BeginNodeID, StepId(1));
    AddLinkBetween(frame, BeginNodeID, StepId(2));
    for (int n = 1; n <= steps; ++n) {
        for (int next : {n + 1, n + 2})
            if (next <= steps)
                AddLinkBetween(frame, StepId(n), StepId(next));
        if (n % 10 == 0)
            AddLinkBetween(frame, StepId(n), StepId(n - 2));
    }
    AddLinkBetween(frame, StepId(steps), EndNodeID);
    AddLinkBetween(frame, StepId(3), QStringLiteral("NOPE"));
    AddLinkBetween(frame, StepId(steps + 2), StepId(1));
    frame.AllNode().DelNode(StepId(steps + 2));
}

} // namespace korvel
