// FrmMain: the menu bar, the keys, which commands are enabled, the commands on whatever is selected,
// zoom, legend and help, and the window's state in its title, status bar and tree.
#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "widgets/uiservices.h"
#include "canvas/flowview.h"
#include "designer/frmlegend.h"
#include "document/framecontroller.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QUndoGroup>
#include <QUndoStack>

namespace korvel {
namespace {

constexpr double ZoomStep = 1.25;

struct MenuItemDesign {
    const char* name;
    const char* textId;
    void (FrmMain::*command)();
};
// The Edit menu: the toolbar's undo, redo, step and link buttons (a null text id) and its own items.
constexpr MenuItemDesign EditItems[] = {
    {"Undo", nullptr, nullptr},
    {"Redo", nullptr, nullptr},
    {nullptr, nullptr, nullptr}, // separator
    {"Cut", "1655", &FrmMain::CutSteps},
    {"Copy", "1656", &FrmMain::CopySteps},
    {"Paste", "1657", &FrmMain::PasteSteps},
    {"SelectAll", "1658", &FrmMain::SelectAll},
    {nullptr, nullptr, nullptr},
    {"AddNode", nullptr, nullptr},
    {"EditItem", nullptr, nullptr},
    {"DelItem", nullptr, nullptr},
    {"AddLink", nullptr, nullptr},
    {"LinkTool", nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {"AlignLeft", "1659", &FrmMain::AlignLeft},
    {"AlignTop", "1660", &FrmMain::AlignTop},
    {"AlignCentre", "1661", &FrmMain::AlignCentre},
    {"Distribute", "1662", &FrmMain::DistributeHorizontally},
};
constexpr MenuItemDesign ViewItems[] = {
    {"ZoomIn", "1211", &FrmMain::ZoomIn},
    {"ZoomOut", "1212", &FrmMain::ZoomOut},
    {"ZoomFit", "1213", &FrmMain::ZoomFit},
    {nullptr, nullptr, nullptr}, // separator
    {"Grid", "1663", &FrmMain::ShowGrid},
    {"Legend", "1214", &FrmMain::ShowLegend},
};
constexpr MenuItemDesign HelpItems[] = {{"Help", "1215", &FrmMain::ShowHelp}};

// Keeps "[*]" in a name from being taken for the title's modified mark.
QString TitleText(QString text)
{
    return text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

} // namespace

bool FrmMain::Unsaved(const cWorder& frame)
{
    return frame.LoadFlag != 0 && frame.CheckStatus() == 1;
}

void FrmMain::BuildMenuBar()
{
    // Titles and item texts are string ids, localised with the rest of the window.
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    const auto addItems = [this, bar](const char* title, const char* name, const auto& items) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QString::fromLatin1(name));
        for (const MenuItemDesign& design : items) {
            if (!design.name) {
                menu->addSeparator();
                continue;
            }
            if (!design.textId) {
                menu->addAction(ToolbarButton(QString::fromLatin1(design.name)));
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(design.textId));
            action->setObjectName(QString::fromLatin1(design.name));
            connect(action, &QAction::triggered, this,
                    [this, design] { RunCommand(design.name, design.command); });
        }
    };
    addItems("1204", "MenuEdit", EditItems);
    addItems("1205", "MenuView", ViewItems);
    MenuBarAction(QStringLiteral("Grid"))->setCheckable(true);
    addItems("1206", "MenuHelp", HelpItems);

    // Keys. Editing and deleting act on the canvas's selection, so their keys work while the
    // canvas has the focus: Delete and Enter keep their meaning elsewhere (e.g. in the tree).
    const auto keys = [this](const QString& name, const QList<QKeySequence>& sequences,
                             Qt::ShortcutContext context = Qt::WindowShortcut) {
        QAction* action = ToolbarButton(name);
        if (!action)
            action = MenuBarAction(name);
        action->setShortcuts(sequences);
        action->setShortcutContext(context);
        if (context == Qt::WidgetWithChildrenShortcut)
            m_flow->addAction(action);
    };
    keys(QStringLiteral("New"), QKeySequence::keyBindings(QKeySequence::New));
    keys(QStringLiteral("Save"), QKeySequence::keyBindings(QKeySequence::Save));
    keys(QStringLiteral("Lock"), {QKeySequence(Qt::CTRL | Qt::Key_L)});
    keys(QStringLiteral("Unlock"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)});
    keys(QStringLiteral("EditItem"),
         {QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
         Qt::WidgetWithChildrenShortcut);
    keys(QStringLiteral("DelItem"), QKeySequence::keyBindings(QKeySequence::Delete), Qt::WidgetWithChildrenShortcut);
    keys(QStringLiteral("Undo"), QKeySequence::keyBindings(QKeySequence::Undo));
    QList<QKeySequence> redo = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& more :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!redo.contains(more))
            redo << more;
    keys(QStringLiteral("Redo"), redo);
    // The clipboard's keys and Ctrl+A act on the canvas's steps, and keep their meaning elsewhere.
    keys(QStringLiteral("Cut"), QKeySequence::keyBindings(QKeySequence::Cut), Qt::WidgetWithChildrenShortcut);
    keys(QStringLiteral("Copy"), QKeySequence::keyBindings(QKeySequence::Copy),
         Qt::WidgetWithChildrenShortcut);
    keys(QStringLiteral("Paste"), QKeySequence::keyBindings(QKeySequence::Paste),
         Qt::WidgetWithChildrenShortcut);
    keys(QStringLiteral("SelectAll"), QKeySequence::keyBindings(QKeySequence::SelectAll),
         Qt::WidgetWithChildrenShortcut);
    keys(QStringLiteral("ZoomIn"),
         QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Equal)} + QKeySequence::keyBindings(QKeySequence::ZoomIn));
    keys(QStringLiteral("ZoomOut"), QKeySequence::keyBindings(QKeySequence::ZoomOut));
    keys(QStringLiteral("ZoomFit"), {QKeySequence(Qt::CTRL | Qt::Key_0)});
    keys(QStringLiteral("Help"), QKeySequence::keyBindings(QKeySequence::HelpContents));
}

QAction* FrmMain::MenuBarAction(const QString& name)
{
    const auto menus = menuBar()->findChildren<QMenu*>();
    for (const QMenu* menu : menus) {
        const auto actions = menu->actions();
        for (QAction* action : actions) {
            if (action->objectName() == name)
                return action;
        }
    }
    return nullptr;
}

void FrmMain::SetCommandStates()
{
    const bool editable = m_flow->Scene().EditMode();
    const bool step = editable && m_flow->Scene().SelectedNode() != nullptr;
    const bool link = editable && m_flow->Scene().SelectedLink() != nullptr;
    const auto enable = [](QAction* action, bool on) {
        if (action)
            action->setEnabled(on);
    };
    for (const char* key : {"Del", "Save", "Saveas", "Unlock", "AddNode", "AddLink"})
        enable(ToolbarButton(QString::fromLatin1(key)), editable);
    enable(ToolbarButton(QStringLiteral("Lock")), !editable);
    enable(ToolbarButton(QStringLiteral("EditItem")), step || link);
    enable(ToolbarButton(QStringLiteral("DelItem")), step || link);
    enable(MenuItem(QStringLiteral("Menu_AddNode")), editable);
    enable(MenuItem(QStringLiteral("Menu_AddLink")), editable);
    enable(MenuItem(QStringLiteral("Menu_EditNode")), step);
    enable(MenuItem(QStringLiteral("Menu_Del")), step);
    enable(MenuItem(QStringLiteral("Menu_EditLink")), link);
    enable(MenuItem(QStringLiteral("Menu_DelLink")), link);
    SetFlowToolStates();

    // Undo and redo name the change they take back or make again.
    const QUndoStack* history = m_frames ? m_frames->UndoGroup().activeStack() : nullptr;
    const auto showHistory = [&](const char* key, bool can, const QString& change, qint32 plainId,
                                 qint32 namedId) {
        QAction* action = ToolbarButton(QString::fromLatin1(key));
        if (!action)
            return;
        action->setEnabled(editable && can);
        action->setText(can ? LoadResString(namedId).arg(change) : LoadResString(plainId));
    };
    showHistory("Undo", history && history->canUndo(), history ? history->undoText() : QString(), 1650, 1652);
    showHistory("Redo", history && history->canRedo(), history ? history->redoText() : QString(), 1651, 1653);
    enable(ToolbarButton(QStringLiteral("LinkTool")), editable);
    const qsizetype steps = SelectedSteps().size();
    enable(MenuBarAction(QStringLiteral("Copy")), steps > 0);
    enable(MenuBarAction(QStringLiteral("Cut")), editable && steps > 0);
    enable(MenuBarAction(QStringLiteral("Paste")), editable && ClipboardHasSteps());
    for (const char* name : {"AlignLeft", "AlignTop", "AlignCentre"})
        enable(MenuBarAction(QString::fromLatin1(name)), editable && steps >= 2);
    enable(MenuBarAction(QStringLiteral("Distribute")), editable && steps >= 3);
}

void FrmMain::ShowWindowState()
{
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    const bool unsaved = frame && Unsaved(*frame);
    if (frame)
        setWindowTitle(LoadResString(1200).arg(TitleText(frame->WorkOrderFrameName),
                                               TitleText(frame->WorkOrderFrame_ID), LoadResString(118)));
    else
        setWindowTitle(LoadResString(118));
    setWindowModified(unsaved);
    m_saveState->setText(unsaved ? LoadResString(1203) : QString());

    QString counts;
    if (frame) {
        qint32 steps = 0;
        qint32 links = 0;
        for (const auto& [id, node] : frame->AllNode().AllNode())
            steps += node->CanLoadFlag() == 1 ? 1 : 0;
        for (const auto& [id, link] : frame->AllLink().AllLinks())
            links += link->CanLoadFlag() == 1 ? 1 : 0;
        counts = LoadResString(1201).arg(steps).arg(links);
    }
    m_flowCounts->setText(counts);
    m_zoomLevel->setText(LoadResString(1202).arg(qRound(m_flow->Zoom() * 100)));

    // Only the current frame can hold unsaved changes (leaving it asks to save or drop them); the
    // items marked before are unmarked when they no longer do.
    QSet<QString> marked;
    if (unsaved)
        marked.insert(QStringLiteral("N") + frame->WorkOrderFrame_ID);
    for (const QString& key : m_markedItems | marked) {
        if (QTreeWidgetItem* item = TreeItemByKey(key)) {
            QFont font = item->font(0);
            font.setBold(marked.contains(key));
            item->setFont(0, font);
        }
    }
    m_markedItems = marked;
    RefreshFindings();
}

void FrmMain::EditSelected()
{
    if (m_flow->Scene().SelectedNode())
        Menu_EditNode_Click();
    else if (m_flow->Scene().SelectedLink())
        Menu_EditLink_Click();
}

void FrmMain::DeleteSelected()
{
    if (const QList<FlowNodeItem*> steps = SelectedSteps(); steps.size() > 1) {
        // Several steps, as a band selects them: one question, one step of the history.
        if (Messages().question(LoadResString(1689).arg(steps.size()), QMessageBox::Yes | QMessageBox::No) !=
            QMessageBox::Yes)
            return;
        QStringList ids;
        for (const FlowNodeItem* step : steps)
            ids << step->Key().mid(1);
        DeleteSteps(ids, LoadResString(1680).arg(ids.size()));
    } else if (m_flow->Scene().SelectedNode())
        Menu_Del_Click();
    else if (m_flow->Scene().SelectedLink())
        Menu_DelLink_Click();
}

QPointF FrmMain::ViewCentre() const
{
    return m_flow->mapToScene(m_flow->viewport()->rect().center());
}

void FrmMain::ZoomIn()
{
    m_flow->setZoom(m_flow->Zoom() * ZoomStep);
}

void FrmMain::ZoomOut()
{
    m_flow->setZoom(m_flow->Zoom() / ZoomStep);
}

void FrmMain::ZoomFit()
{
    m_flow->ZoomToFit();
}

void FrmMain::ShowLegend()
{
    FrmLegend legend(this);
    Modals().showModal(legend);
}

void FrmMain::ShowHelp()
{
    QStringList lines;
    for (qint32 id = 1240; id <= 1248; ++id)
        lines << LoadResString(id);
    lines << LoadResString(1687) << LoadResString(1688);
    Messages().information(lines.join(QStringLiteral("\n\n")));
}

} // namespace korvel
