#include "designer/pathpreview.h"

#include "canvas/flowview.h"
#include "canvas/pathlayer.h"
#include "canvas/scenemapper.h"
#include "core/errorlog.h"
#include "designer/frmmain.h"
#include "designer/historycommands.h"
#include "designer/pathpreviewpanel.h"
#include "document/framedocument.h"
#include "model/cworder.h"
#include "model/cworders.h"
#include "model/linkcondition.h"
#include "resources/stringtable.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgPreviewItem = 2141,
    MsgEndReached = 2144,
    MsgStopsAt = 2145,
    MsgLoopsBack = 2146,
    MsgNoFrame = 2150,
    MsgNeedsNumber = 2151,
    MsgEnd = 80,
    MsgStart = 81,
};

// How long typing may pause before the frame is walked, ms.
constexpr int TypingPause = 150;

} // namespace

PathPreview::PathPreview(FrmMain& window, cWOrders& workOrders, SceneMapper& mapper, FlowView& flow)
    : m_window(window), m_workOrders(workOrders), m_mapper(mapper), m_flow(flow)
{
    m_panel = new PathPreviewPanel(&window);
    window.addDockWidget(Qt::RightDockWidgetArea, m_panel);
    m_panel->hide();
    QMenuBar* bar = window.menuBar();
    if (auto* view = bar->findChild<QMenu*>(QStringLiteral("MenuView")))
        view->addAction(m_panel->toggleViewAction());
    if (auto* tools = bar->findChild<QMenu*>(QStringLiteral("MenuTools"))) {
        QAction* item = tools->addAction(LoadResString(MsgPreviewItem));
        item->setObjectName(QStringLiteral("PreviewPath"));
        QObject::connect(item, &QAction::triggered, m_panel, [this] {
            m_panel->show();
            m_panel->raise();
        });
    }
    m_due = new QTimer(m_panel);
    m_due->setSingleShot(true);
    QObject::connect(m_due, &QTimer::timeout, m_panel, [this] { IgnoreErrors([this] { Walk(); }); });
    QObject::connect(m_panel, &PathPreviewPanel::ValuesEdited, m_panel, [this] { WalkSoon(TypingPause); });
    QObject::connect(m_panel, &PathPreviewPanel::StepChosen, m_panel,
                     [this](const QString& id) { IgnoreErrors([&] { ChooseStep(id); }); });
    QObject::connect(m_panel->toggleViewAction(), &QAction::toggled, m_panel, [this](bool open) {
        IgnoreErrors([&] {
            // The newer of the two drawings over the canvas wins: a comparison shown goes.
            if (open && m_window.History().Viewing())
                m_window.History().BackToFrame();
            if (!open)
                Clear();
            ShowState();
            WalkSoon(0);
        });
    });
}

PathPreview::~PathPreview()
{
    // The panel hides as it goes: that must not walk any more.
    QObject::disconnect(m_panel->toggleViewAction(), nullptr, m_panel, nullptr);
    m_due->stop();
    m_layer.reset();
    // With the panel go the connections that call this object.
    delete m_panel;
}

PathPreviewPanel& PathPreview::Panel()
{
    return *m_panel;
}

void PathPreview::WalkSoon(int delay)
{
    m_due->start(delay);
}

void PathPreview::ShowState()
{
    if (m_panel->isHidden())
        return;
    FrameDocument* shown = m_mapper.Shown();
    if (shown != m_followed) {
        if (m_followed)
            QObject::disconnect(m_followed, nullptr, m_panel, nullptr);
        m_followed = shown;
        if (shown) {
            QObject::connect(shown, &FrameDocument::Changed, m_panel, [this] { WalkSoon(0); });
            QObject::connect(shown, &FrameDocument::Reloaded, m_panel, [this] { WalkSoon(0); });
        }
        WalkSoon(0);
    }
    if (m_flow.Scene().Tag() != m_walked)
        WalkSoon(0);
}

void PathPreview::Clear()
{
    m_layer.reset();
    m_walked.clear();
}

void PathPreview::Walk()
{
    if (m_panel->isHidden()) {
        Clear();
        return;
    }
    // What the fields hold belongs to the frame they were filled for.
    if (!m_fieldsFrame.isEmpty())
        m_values.insert(m_fieldsFrame, m_panel->Values());
    const QString current = m_workOrders.CurWOrder();
    cWorder* frame = current.isEmpty() ? nullptr : m_workOrders.OneWorkOrder(current);
    FlowScene& scene = m_flow.Scene();
    m_layer.reset();
    m_walked = scene.Tag();
    if (!frame || scene.Tag() != current) {
        m_fieldsFrame.clear();
        m_panel->ShowVariables(QString(), {}, {});
        m_panel->ShowResult(LoadResString(MsgNoFrame), {}, {}, {});
        return;
    }
    const QList<WalkVariable> variables = WalkVariables(*frame);
    const WalkValues values = m_values.value(current);
    m_panel->ShowVariables(current, variables, values);
    m_fieldsFrame = current;
    for (const WalkVariable& variable : variables) {
        const QString value = values.value(VariableKey(variable.name));
        QStringList needNumber;
        for (const QString& op : variable.operators)
            if (CheckCondition(variable.name, op, value) == ConditionFault::NotANumber)
                needNumber << op;
        m_panel->ShowFault(VariableKey(variable.name),
                           value.trimmed().isEmpty() || needNumber.isEmpty()
                               ? QString()
                               : LoadResString(MsgNeedsNumber).arg(needNumber.join(u' '), value.trimmed()));
    }

    const FlowWalk walk = WalkFlow(*frame, values);
    m_layer = std::make_unique<PathLayer>(scene, walk);
    QStringList result;
    if (walk.reachedEnd)
        result << LoadResString(MsgEndReached);
    for (const QString& id : walk.deadEnds)
        result << LoadResString(MsgStopsAt).arg(StepText(*frame, id), id);
    for (const WalkMove& move : walk.moves)
        if (move.kind == WalkMove::Kind::Loop)
            result << LoadResString(MsgLoopsBack)
                          .arg(StepText(*frame, move.to), move.to, StepText(*frame, move.from), move.from);
    const auto rows = [&](const QStringList& ids) {
        QList<PathPreviewPanel::Step> steps;
        for (const QString& id : ids)
            steps.append({id, StepText(*frame, id) + QStringLiteral(" (") + id + u')'});
        return steps;
    };
    QStringList passed = walk.passed;
    if (walk.reachedEnd)
        passed << EndNodeID;
    m_panel->ShowResult(result.join(u'\n'), rows(passed), rows(walk.unreached), walk.unsetVariables);
}

QString PathPreview::StepText(cWorder& frame, const QString& id) const
{
    if (id == BeginNodeID)
        return LoadResString(MsgStart);
    if (id == EndNodeID)
        return LoadResString(MsgEnd);
    const cNode* node = frame.AllNode().OneNode(id);
    return node ? node->WorkOrderNodeName() : id;
}

void PathPreview::ChooseStep(const QString& stepId)
{
    FlowNodeItem* node = m_flow.Scene().NodeByKey(QStringLiteral("N") + stepId);
    m_flow.Scene().SelectItem(node);
    if (node)
        m_flow.centerOn(node);
}

} // namespace korvel
