// FrmMain: the toolbar's commands, the menu bar, the tree's popup and their keys, and which commands
// are enabled.
#include "designer/frmmain.h"

#include "canvas/flowview.h"
#include "core/errorlog.h"
#include "designer/arrangecommands.h"
#include "designer/flowtools.h"
#include "designer/framecommands.h"
#include "designer/frameprinting.h"
#include "designer/frametree.h"
#include "designer/livechanges.h"
#include "designer/selectioncommands.h"
#include "designer/stepcommands.h"
#include "designer/viewcommands.h"
#include "document/arrangement.h"
#include "document/framecontroller.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUndoGroup>
#include <QUndoStack>

namespace korvel {
namespace {

struct MenuItemDesign {
    const char* name;
    const char* textId;
    void (*command)(FrmMain& window);
};
// The menu bar, menu by menu. An item with a null text id is the toolbar's button of that key, so
// that each command has one action and SetCommandStates governs it wherever it shows; a null name
// is a separator. The docks add the items that show and hide them to the View and Tools menus.
constexpr MenuItemDesign FileItems[] = {
    {"New", nullptr, nullptr},
    {"OpenFrame", "2204", [](FrmMain& window) { window.Frames().OpenFrame(); }},
    {"Save", nullptr, nullptr},
    {"Saveas", nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {"Lock", nullptr, nullptr},
    {"Unlock", nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {"FrameProperties", "2205",
     [](FrmMain& window) {
         // The header dialog edits the frame the tree highlights: the current one, shown if filtered out.
         window.Tree().SelectFrame(window.WorkOrders().CurWOrder());
         window.Frames().EditHeader();
     }},
    {"Del", nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {"Export", "1815", [](FrmMain& window) { window.Tools().ExportWorkOrders(); }},
    {"Import", "1816", [](FrmMain& window) { window.Tools().ImportWorkOrders(); }},
    {nullptr, nullptr, nullptr},
    {"ExportPicture", "1817", [](FrmMain& window) { window.Tools().ExportPicture(); }},
    {"PrintPreview", "2340", [](FrmMain& window) { window.Tools().Printing().Preview(); }},
    {"Print", "1818", [](FrmMain& window) { window.Tools().Printing().Print(); }},
    {nullptr, nullptr, nullptr},
    {"Quit", nullptr, nullptr},
};
// The Edit menu: the toolbar's undo, redo, step and link buttons and its own items.
constexpr MenuItemDesign EditItems[] = {
    {"Undo", nullptr, nullptr},
    {"Redo", nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {"Cut", "1655", [](FrmMain& window) { window.Selection().CutSteps(); }},
    {"Copy", "1656", [](FrmMain& window) { window.Selection().CopySteps(); }},
    {"Paste", "1657", [](FrmMain& window) { window.Selection().PasteSteps(); }},
    {"SelectAll", "1658", [](FrmMain& window) { window.Selection().SelectAll(); }},
    {nullptr, nullptr, nullptr},
    {"AddNode", nullptr, nullptr},
    {"EditItem", nullptr, nullptr},
    {"DelItem", nullptr, nullptr},
    {"AddLink", nullptr, nullptr},
    {"LinkTool", nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {"AlignLeft", "1659", [](FrmMain& window) { window.Selection().Arrange(&AlignedLeft, 1659); }},
    {"AlignCentre", "1661", [](FrmMain& window) { window.Selection().Arrange(&AlignedCentres, 1661); }},
    {"AlignRight", "2200", [](FrmMain& window) { window.Selection().Arrange(&AlignedRight, 2200); }},
    {"AlignTop", "1660", [](FrmMain& window) { window.Selection().Arrange(&AlignedTop, 1660); }},
    {"AlignMiddle", "2202", [](FrmMain& window) { window.Selection().Arrange(&AlignedMiddles, 2202); }},
    {"AlignBottom", "2201", [](FrmMain& window) { window.Selection().Arrange(&AlignedBottom, 2201); }},
    {"Distribute", "1662", [](FrmMain& window) { window.Selection().Arrange(&DistributedHorizontally, 1662); }},
    {"DistributeVertically", "2203",
     [](FrmMain& window) { window.Selection().Arrange(&DistributedVertically, 2203); }},
};
constexpr MenuItemDesign ViewItems[] = {
    {"ZoomIn", "1211", [](FrmMain& window) { window.View().ZoomIn(); }},
    {"ZoomOut", "1212", [](FrmMain& window) { window.View().ZoomOut(); }},
    {"ZoomFit", "1213", [](FrmMain& window) { window.View().ZoomFit(); }},
    {nullptr, nullptr, nullptr}, // separator
    {"Grid", "1663",
     [](FrmMain& window) {
         if (QAction* grid = window.MenuBarAction(QStringLiteral("Grid")))
             window.View().ShowGrid(grid->isChecked());
     }},
    {"Legend", "1214", [](FrmMain& window) { window.View().ShowLegend(); }},
    {nullptr, nullptr, nullptr},
    {"Refresh", "2034", [](FrmMain& window) { window.Live().Refresh(); }},
};
constexpr MenuItemDesign ToolsItems[] = {
    {"Check", nullptr, nullptr},
    {"Search", "1821", [](FrmMain& window) { window.Tools().SearchWorkOrders(); }},
    {nullptr, nullptr, nullptr},
    {"ArrangeFlow", "2172", [](FrmMain& window) { window.Tools().Arrange().ArrangeFlow(); }},
    {"ArrangeSelection", "2173", [](FrmMain& window) { window.Tools().Arrange().ArrangeSelection(); }},
};
constexpr MenuItemDesign HelpItems[] = {{"Help", "1215", [](FrmMain& window) { window.View().ShowHelp(); }}};

// The tree's right-click menu on a frame: the File menu's items of these names, and Copy, which
// runs Save as.
constexpr const char* TreeItems[] = {"New", "FrameProperties", "TreeCopy", "Del"};

} // namespace

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
                    [this, design] { RunHandler(design.name, [this, design] { design.command(*this); }); });
        }
    };
    addItems("1814", "MenuFile", FileItems);
    addItems("1204", "MenuEdit", EditItems);
    addItems("1205", "MenuView", ViewItems);
    MenuBarAction(QStringLiteral("Grid"))->setCheckable(true);
    addItems("1819", "MenuTools", ToolsItems);
    addItems("1206", "MenuHelp", HelpItems);

    // The tree's popup: Copy is Save as under the name the tree gives it.
    auto* copy = new QAction(LoadResString(2210), m_tree);
    copy->setObjectName(QStringLiteral("TreeCopy"));
    connect(copy, &QAction::triggered, this,
            [this] { RunHandler("TrvTree_Copy", [this] { m_frameCommands->SaveWorkOrderAs(); }); });
    for (const char* name : TreeItems)
        m_tree->Popup().addAction(qstrcmp(name, "TreeCopy") == 0 ? copy
                                                                 : MenuBarAction(QString::fromLatin1(name)));
    connect(m_tree, &FrameTree::PopupRequested, this, [this](const QString& frameId, QPoint where) {
        RunHandler("TrvTree_Popup", [&] {
            // The popup acts on the current frame: the row becomes current first, as a click makes it.
            if (frameId != m_workOrders->CurWOrder()) {
                m_tree->SelectFrame(frameId);
                TrvTree_NodeClick(frameId);
            }
            if (frameId != m_workOrders->CurWOrder())
                return;
            SetCommandStates();
            m_tree->Popup().popup(where);
        });
    });

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
    keys(QStringLiteral("OpenFrame"), QKeySequence::keyBindings(QKeySequence::Open));
    keys(QStringLiteral("Save"), QKeySequence::keyBindings(QKeySequence::Save));
    keys(QStringLiteral("Lock"), {QKeySequence(Qt::CTRL | Qt::Key_L)});
    keys(QStringLiteral("Unlock"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)});
    keys(QStringLiteral("Quit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    keys(QStringLiteral("Print"), QKeySequence::keyBindings(QKeySequence::Print));
    keys(QStringLiteral("EditItem"),
         {QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_F2)},
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
    keys(QStringLiteral("Refresh"), {QKeySequence(Qt::Key_F5)});
    keys(QStringLiteral("Check"), {QKeySequence(Qt::Key_F7)});
    keys(QStringLiteral("Search"), QKeySequence::keyBindings(QKeySequence::Find));
    keys(QStringLiteral("ArrangeFlow"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)});
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
    const bool link = editable && m_flow->Scene().SelectedLinkCount() > 0;
    const auto enable = [](QAction* action, bool on) {
        if (action)
            action->setEnabled(on);
    };
    for (const char* key : {"Del", "Save", "Saveas", "Unlock", "AddNode", "AddLink"})
        enable(ToolbarButton(QString::fromLatin1(key)), editable);
    enable(m_tree->PopupItem(QStringLiteral("TreeCopy")), editable);
    // Nothing to lock without a current frame (none yet, or the one shown was deleted).
    const bool current = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder()) != nullptr;
    enable(MenuBarAction(QStringLiteral("FrameProperties")), current);
    enable(ToolbarButton(QStringLiteral("Lock")), !editable && current);
    enable(ToolbarButton(QStringLiteral("EditItem")), step || link);
    enable(ToolbarButton(QStringLiteral("DelItem")), step || link);
    enable(MenuItem(QStringLiteral("Menu_AddNode")), editable);
    enable(MenuItem(QStringLiteral("Menu_AddLink")), editable);
    enable(MenuItem(QStringLiteral("Menu_EditNode")), step);
    enable(MenuItem(QStringLiteral("Menu_Del")), step);
    enable(MenuItem(QStringLiteral("Menu_EditLink")), link);
    enable(MenuItem(QStringLiteral("Menu_DelLink")), link);
    if (m_tools)
        m_tools->SetCommandStates();

    // Undo and redo name the change they take back or make again.
    const QUndoStack* history = m_frames ? m_frames->UndoGroup().activeStack() : nullptr;
    const auto showHistory = [&](const char* key, bool can, const QString& change, qint32 plainId,
                                 qint32 namedId) {
        QAction* action = ToolbarButton(QString::fromLatin1(key));
        if (!action)
            return;
        action->setEnabled(editable && can);
        action->setText(can ? LoadResString(namedId).arg(change) : LoadResString(plainId));
        action->setToolTip(ToolTipWithKey(action->text(), *action));
    };
    showHistory("Undo", history && history->canUndo(), history ? history->undoText() : QString(), 1650, 1652);
    showHistory("Redo", history && history->canRedo(), history ? history->redoText() : QString(), 1651, 1653);
    enable(ToolbarButton(QStringLiteral("LinkTool")), editable);
    const int steps = m_flow->Scene().SelectedStepCount();
    // The popup's clipboard items follow the Edit menu's.
    const bool pastable = editable && SelectionCommands::ClipboardHasSteps();
    for (const auto& [name, on] : {std::pair{"Copy", steps > 0}, {"Cut", editable && steps > 0}, {"Paste", pastable}}) {
        enable(MenuBarAction(QString::fromLatin1(name)), on);
        enable(MenuItem(QStringLiteral("Menu_") + QLatin1String(name)), on);
    }
    enable(MenuItem(QStringLiteral("Menu_PasteHere")), pastable);
    for (const char* name : {"AlignLeft", "AlignCentre", "AlignRight", "AlignTop", "AlignMiddle", "AlignBottom"})
        enable(MenuBarAction(QString::fromLatin1(name)), editable && steps >= 2);
    for (const char* name : {"Distribute", "DistributeVertically"})
        enable(MenuBarAction(QString::fromLatin1(name)), editable && steps >= 3);
}

void FrmMain::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("New"))
        m_frameCommands->NewWorkOrder();
    else if (key == QLatin1String("Del"))
        m_frameCommands->DeleteWorkOrder();
    else if (key == QLatin1String("Save"))
        m_frameCommands->SaveWorkOrder();
    else if (key == QLatin1String("Saveas"))
        m_frameCommands->SaveWorkOrderAs();
    else if (key == QLatin1String("Lock"))
        m_frameCommands->LockWorkOrder();
    else if (key == QLatin1String("Unlock"))
        m_frameCommands->UnlockWorkOrder();
    else if (key == QLatin1String("AddNode"))
        m_steps->AddNodeAt(m_view->ViewCentre());
    else if (key == QLatin1String("EditItem"))
        m_steps->EditSelected();
    else if (key == QLatin1String("DelItem"))
        m_steps->DeleteSelected();
    else if (key == QLatin1String("AddLink"))
        m_steps->AddLink(QString(), QString());
    else if (key == QLatin1String("Check"))
        m_tools->CheckWorkOrder();
    else if (key == QLatin1String("LinkTool"))
        m_flow->setLinkTool(ToolbarButton(key)->isChecked());
    else if (key == QLatin1String("Undo"))
        m_steps->UndoEdit();
    else if (key == QLatin1String("Redo"))
        m_steps->RedoEdit();
    else if (key == QLatin1String("Quit"))
        close();
}

} // namespace korvel
