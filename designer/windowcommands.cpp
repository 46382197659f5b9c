// FrmMain: the menu bar, the keys, which commands are enabled, the commands on whatever is selected,
// zoom, legend and help, and the window's state in its title, status bar and tree.
#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "core/uiservices.h"
#include "designer/flowcanvas.h"
#include "designer/frmlegend.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>

namespace korvel {
namespace {

constexpr double ZoomStep = 1.25;

// The Edit menu's items are the toolbar's step and link buttons; View and Help hold their own.
constexpr const char* EditItems[] = {"AddNode", "EditItem", "DelItem", "AddLink"};

struct MenuItemDesign {
    const char* name;
    const char* textId;
    void (FrmMain::*command)();
};
constexpr MenuItemDesign ViewItems[] = {
    {"ZoomIn", "1211", &FrmMain::ZoomIn},
    {"ZoomOut", "1212", &FrmMain::ZoomOut},
    {"ZoomFit", "1213", &FrmMain::ZoomFit},
    {nullptr, nullptr, nullptr}, // separator
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
    QMenu* edit = bar->addMenu(QStringLiteral("1204"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    for (const char* name : EditItems)
        edit->addAction(ToolbarButton(QString::fromLatin1(name)));
    const auto addItems = [this, bar](const char* title, const char* name, const auto& items) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QString::fromLatin1(name));
        for (const MenuItemDesign& design : items) {
            if (!design.name) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(design.textId));
            action->setObjectName(QString::fromLatin1(design.name));
            connect(action, &QAction::triggered, this,
                    [this, design] { RunCommand(design.name, design.command); });
        }
    };
    addItems("1205", "MenuView", ViewItems);
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
    const bool editable = m_flow->EditMode();
    const bool step = editable && m_flow->SelectedNode() != nullptr;
    const bool link = editable && m_flow->SelectedLink() != nullptr;
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
    if (m_flow->SelectedNode())
        Menu_EditNode_Click();
    else if (m_flow->SelectedLink())
        Menu_EditLink_Click();
}

void FrmMain::DeleteSelected()
{
    if (m_flow->SelectedNode())
        Menu_Del_Click();
    else if (m_flow->SelectedLink())
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
    Messages().information(lines.join(QStringLiteral("\n\n")));
}

} // namespace korvel
