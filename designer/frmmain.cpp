#include "designer/frmmain.h"

#include "canvas/designericons.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/scenemapper.h"
#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/qttranslation.h"
#include "designer/flowtools.h"
#include "designer/framecommands.h"
#include "designer/frametree.h"
#include "designer/historycommands.h"
#include "designer/livechanges.h"
#include "designer/pathpreview.h"
#include "designer/selectioncommands.h"
#include "designer/stepcommands.h"
#include "designer/viewcommands.h"
#include "designer/windowsplitter.h"
#include "designer/windowstatus.h"
#include "designer/workprogress.h"
#include "document/framecontroller.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMenu>
#include <QToolBar>
#include <QTreeView>
#include <QUndoGroup>

namespace korvel {

QPointer<FrmMain> FrmMain::s_instance;

namespace {

// Toolbar buttons left to right: key, the string id stored as tool tip ("" for none) and the
// string id of the button's text (shown where the toolbar has no room and lists it in its menu).
struct ButtonDesign {
    const char* key;
    const char* toolTipId;
    qint32 textId;
};
// A key of "-" is a separator.
constexpr ButtonDesign ToolbarDesign[] = {
    {"New", "119", 119},        {"Del", "120", 120},          {"Save", "121", 121},
    {"Saveas", "1220", 1017},   {"Lock", "122", 122},         {"Unlock", "123", 123},
    {"-", "", 0},               {"AddNode", "1216", 1207},    {"EditItem", "2211", 2206},
    {"DelItem", "2212", 1209},  {"AddLink", "1219", 1210},    {"LinkTool", "1667", 1664},
    {"-", "", 0},               {"Undo", "", 1650},           {"Redo", "", 1651},
    {"-", "", 0},               {"Check", "2213", 1820},      {"-", "", 0},
    {"Quit", "124", 124},
};

constexpr int InitialWidthPixels = 960;
constexpr int InitialHeightPixels = 640;

// Tells the host's loader that the add-in may be unloaded.
void ReleaseDll()
{
    IgnoreErrors([] {
        QObject* loader = Host().AddinLoader();
        if (!loader)
            throw KorvelError(QStringLiteral("the host has no add-in loader"));
        QMetaObject::invokeMethod(loader, "ReleaseDll", Q_ARG(QString, Addin().StartName));
    });
}

} // namespace

void FrmMain::RunHandler(const char* procedure, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[%1]:").arg(QLatin1String(procedure)), error);
    } catch (...) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[%1]:").arg(QLatin1String(procedure)),
                 QStringLiteral("unknown error"));
    }
    IgnoreErrors([this] { ShowWindowState(); });
}

void FrmMain::CommandStatesDue()
{
    if (m_commandStatesDue)
        return;
    m_commandStatesDue = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_commandStatesDue = false;
            IgnoreErrors([this] { SetCommandStates(); });
        },
        Qt::QueuedConnection);
}

FrmMain::FrmMain(QWidget* parent)
    : QMainWindow(parent), m_qtTexts(std::make_unique<QtTranslation>()),
      m_workOrders(std::make_unique<cWOrders>())
{
    // Dialogs opened while the window loads may already ask for the shared instance.
    if (!s_instance)
        s_instance = this;
    BuildControls();
    resize(InitialWidthPixels, InitialHeightPixels);
    double x = m_splitter->Left();
    SizeControls(x);
    Form_Load();
}

FrmMain::~FrmMain()
{
    if (s_instance == this)
        s_instance = nullptr;
}

FrmMain& FrmMain::Instance()
{
    if (!s_instance) {
        auto* window = new FrmMain(); // owned by Qt: it deletes itself when it closes
        window->setAttribute(Qt::WA_DeleteOnClose);
        s_instance = window;
    }
    return *s_instance;
}

FrmMain* FrmMain::ExistingInstance()
{
    return s_instance.data();
}

void FrmMain::BuildControls()
{
    setObjectName(QStringLiteral("FrmMain"));
    setProperty("Tag", QStringLiteral("118"));
    setWindowTitle(QStringLiteral("WorkOrder configuration"));

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(m_client);

    BuildToolbar();

    // The handlers, before anything can report a change to them.
    m_tree = new FrameTree(*m_workOrders, *m_client);
    m_flow = new FlowView(m_client);
    m_splitter = new WindowSplitter(*this, *m_client, [this](double& x) { SizeControls(x); });
    m_frames = new FrameController([this]() -> cWOrders& { return *m_workOrders; }, this);
    m_mapper = new SceneMapper(m_flow->Scene(), this);
    m_status = std::make_unique<WindowStatus>(*this, *m_workOrders, *m_flow, *m_tree);
    m_view = std::make_unique<ViewCommands>(*this, *m_flow);
    m_tools = std::make_unique<FlowTools>(*this, *m_workOrders, *m_flow, *m_tree);
    m_frameCommands = std::make_unique<FrameCommands>(*this, *m_workOrders, *m_frames, *m_mapper, *m_flow, *m_tree,
                                                      *m_status, *m_tools);
    m_steps = std::make_unique<StepCommands>(*this, *m_workOrders, *m_frames, *m_flow, *m_view);
    m_selection = std::make_unique<SelectionCommands>(*m_workOrders, *m_frames, *m_flow, *m_steps);
    m_live = new LiveChanges(*this, *m_workOrders, *m_frames, *m_mapper, *m_flow, *m_tree, *m_status);

    QTreeView& tree = m_tree->Widget();
    connect(&tree, &QTreeView::clicked, this, [this](const QModelIndex& row) {
        RunHandler("TrvTree_NodeClick", [&] {
            if (!m_history->TreeRowClicked(row))
                TrvTree_NodeClick(m_tree->FrameAt(row));
        });
    });
    connect(&tree, &QTreeView::doubleClicked, this,
            [this] { RunHandler("TrvTree_DblClick", [this] { TrvTree_DblClick(); }); });
    connect(m_tree, &FrameTree::CurrentMoved, this, [this](const QString& frameId) {
        TrvTree_NodeClick(frameId);
        IgnoreErrors([this] { ShowWindowState(); });
    });

    m_flow->setToolTipSource([this](const QGraphicsItem& item) { return m_steps->CanvasToolTip(item); });
    connect(m_flow, &FlowView::DblClick, this,
            [this] { RunHandler("AFFlow_DblClick", [this] { m_steps->AFFlow_DblClick(); }); });
    connect(m_flow, &FlowView::MouseDown, this, [this](Qt::MouseButton button, QPoint globalPos) {
        RunHandler("AFFlow_MouseDown", [&] { m_steps->AFFlow_MouseDown(button, globalPos); });
    });
    connect(m_flow, &FlowView::MouseUp, this,
            [this] { RunHandler("AFFlow_MouseUp", [this] { m_selection->AFFlow_MouseUp(); }); });
    connect(m_flow, &FlowView::EmptyDblClick, this, [this](QPointF place) {
        RunHandler("AFFlow_EmptyDblClick", [&] { m_steps->AFFlow_EmptyDblClick(place); });
    });
    connect(m_flow, &FlowView::ConnectRequested, this, [this](const QString& from, const QString& to) {
        RunHandler("AFFlow_ConnectRequested", [&] { m_steps->AFFlow_ConnectRequested(from, to); });
    });
    connect(m_flow, &FlowView::MoveKeys, this,
            [this](QPointF delta) { RunHandler("MoveSelection", [&] { m_selection->MoveSelection(delta); }); });
    connect(m_flow, &FlowView::SelectionChanged, this, &FrmMain::CommandStatesDue);
    connect(&m_frames->UndoGroup(), &QUndoGroup::indexChanged, this, &FrmMain::CommandStatesDue);
    connect(&m_frames->UndoGroup(), &QUndoGroup::cleanChanged, this, &FrmMain::CommandStatesDue);
    connect(&m_frames->UndoGroup(), &QUndoGroup::activeStackChanged, this, &FrmMain::CommandStatesDue);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &FrmMain::CommandStatesDue);
    connect(m_flow, &FlowView::ZoomChanged, this, [this] { IgnoreErrors([this] { ShowWindowState(); }); });

    BuildMenu();
    BuildMenuBar();
    m_view->AddOverview(*this);
    m_history = std::make_unique<HistoryCommands>(*this, *m_workOrders, *m_frames, *m_mapper, *m_flow, *m_tree);
    m_preview = std::make_unique<PathPreview>(*this, *m_workOrders, *m_mapper, *m_flow);
    // The hand-made layout of the client area follows the findings dock's coming and going.
    m_client->installEventFilter(this);
}

void FrmMain::BuildToolbar()
{
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setIconSize(QSize(24, 24));
    for (const ButtonDesign& design : ToolbarDesign) {
        const QString key = QString::fromLatin1(design.key);
        if (key == QLatin1String("-")) {
            m_toolbar->addSeparator();
            continue;
        }
        auto* action = new QAction(DesignerIcon(key), LoadResString(design.textId), m_toolbar);
        action->setObjectName(key);
        action->setCheckable(key == QLatin1String("LinkTool"));
        action->setToolTip(QString::fromLatin1(design.toolTipId));
        m_toolbar->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, key] { RunHandler("Toolbar1_ButtonClick", [&] { Toolbar1_ButtonClick(key); }); });
    }
}

void FrmMain::BuildMenu()
{
    // The captions are the texts themselves, not string ids, so localisation leaves them as they are.
    m_menuNode = new QMenu(LoadResString(1016), this);
    m_menuNode->setObjectName(QStringLiteral("MenuNode"));
    const auto addItem = [this](const char* name, qint32 captionId, std::function<void()> command) {
        QAction* action = m_menuNode->addAction(LoadResString(captionId));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                [this, name, command = std::move(command)] { RunHandler(name, command); });
    };
    const auto addSeparator = [this](const char* name) {
        QAction* separator = m_menuNode->addSeparator();
        separator->setObjectName(QString::fromLatin1(name));
    };
    addItem("Menu_AddNode", 1010, [this] { Menu_AddNode_Click(); });
    addItem("Menu_EditNode", 1011, [this] { Menu_EditNode_Click(); });
    addSeparator("aa");
    addItem("Menu_Del", 1012, [this] { Menu_Del_Click(); });
    addSeparator("bb");
    addItem("Menu_AddLink", 1013, [this] { Menu_AddLink_Click(); });
    addItem("Menu_EditLink", 1014, [this] { Menu_EditLink_Click(); });
    addSeparator("cc");
    addItem("Menu_DelLink", 1015, [this] { Menu_DelLink_Click(); });
    // The clipboard on what was clicked, or a paste where the empty canvas was clicked (the popup
    // shows one or the other, see StepCommands::AFFlow_MouseDown).
    addSeparator("dd");
    addItem("Menu_Cut", 1655, [this] { m_selection->CutSteps(); });
    addItem("Menu_Copy", 1656, [this] { m_selection->CopySteps(); });
    addItem("Menu_Paste", 1657, [this] { m_selection->PasteStepsAt(m_steps->PopupPlace()); });
    addItem("Menu_PasteHere", 2310, [this] { m_selection->PasteStepsAt(m_steps->PopupPlace()); });
}

void FrmMain::Form_Load()
{
    try {
        LocaliseForm(*this);
        Utility().ApplyFormStyle(this);
        m_workOrders->LoadMeList();
        if (!m_workOrders->ReadError().isEmpty())
            m_frameCommands->ReportUnreadable(m_workOrders->ReadError());
        SetEditState(false);
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Form_Load]:"), error);
        return;
    }
    IgnoreErrors([&] {
        if (m_workOrders->Count() > 0)
            m_tree->SelectFrame(m_workOrders->AllWOrder().front().ID());
    });
    IgnoreErrors([&] { TrvTree_NodeClick(m_tree->SelectedFrame()); });
    IgnoreErrors([&] { ShowWindowState(); });
}

QTreeView& FrmMain::TrvTree()
{
    return m_tree->Widget();
}

QAction* FrmMain::ToolbarButton(const QString& key)
{
    const auto actions = m_toolbar->actions();
    for (QAction* action : actions) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

QAction* FrmMain::MenuItem(const QString& name)
{
    const auto actions = m_menuNode->actions();
    for (QAction* action : actions) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

void FrmMain::SetEditState(bool editable)
{
    // A frame that could not be read in full is never editable: saving it would write over what
    // the database holds with what little was read.
    if (const cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder()))
        editable = editable && frame->ReadError().isEmpty();
    m_flow->Scene().setEditMode(editable);
    SetCommandStates();
    m_status->ShowLockState();
}

void FrmMain::ShowWindowState()
{
    m_status->ShowWindowState();
    m_tools->RefreshFindings();
    if (m_history)
        m_history->ShowState();
    if (m_preview)
        m_preview->ShowState();
}

void FrmMain::DrawWorkOrder()
{
    const QString current = m_workOrders->CurWOrder();
    // The shown frame's document: its edits reach the canvas, its history the Undo and Redo commands.
    m_mapper->Show(m_frames->Open(current));
    m_frames->Activate(current);
    if (m_flow->Scene().Tag() == current)
        return;
    const FlowScene::BulkChange bulk(m_flow->Scene());
    m_flow->Scene().RemoveAllNodes();

    cWorder* frame = m_workOrders->OneWorkOrder(current);
    if (frame) {
        if (!frame->ReadError().isEmpty())
            m_frameCommands->ReportUnreadable(frame->ReadError());
        IgnoreErrors([&] { SetEditState(frame->LockFlag() == 1); });
        WorkProgress progress(this, frame->WorkOrderFrameName,
                              frame->AllNode().AllNode().Count() + frame->AllLink().AllLinks().Count());
        AddFrameItems(m_flow->Scene(), *frame, [&] { progress.Advance(); });
    } else {
        cWorder none; // Start and End only
        AddFrameItems(m_flow->Scene(), none);
    }
    m_flow->Scene().setTag(m_workOrders->CurWOrder());
}

void FrmMain::TrvTree_NodeClick(const QString& frameId)
{
    try {
        if (!m_frameCommands->OfferSave(134)) {
            IgnoreErrors([&] {
                if (m_workOrders->RowOf(m_workOrders->CurWOrder()) >= 0)
                    m_tree->SelectFrame(m_workOrders->CurWOrder());
            });
            return;
        }
        if (frameId.isEmpty()) {
            SetEditState(false);
            m_flow->Scene().RemoveAllNodes();
            // With the canvas empty, the frame must be drawn again when it is next selected.
            m_flow->Scene().setTag(QString());
            return;
        }
        m_workOrders->setCurWOrder(frameId);
        DrawWorkOrder();
        m_status->ShowLockState(); // also when the frame was drawn already: its lock may have changed hands
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[TrvTree_NodeClick]:"), error);
    }
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    bool proceed = true;
    IgnoreErrors([&] { proceed = m_frameCommands->OfferSave(125); });
    if (!proceed) {
        event->ignore();
        return;
    }
    // Every lock this session holds goes back, so nobody finds the frames locked after it ends.
    for (const FrameListEntry& entry : m_workOrders->AllWOrder())
        if (entry.HeldByUser())
            IgnoreErrors([&] { m_workOrders->OneWorkOrder(entry.ID())->UnlockMe(); });
    ReleaseDll();
    event->accept();
}

void FrmMain::TrvTree_DblClick()
{
    m_frameCommands->EditHeader();
}

void FrmMain::Menu_AddNode_Click()
{
    m_steps->AddNode();
}

void FrmMain::Menu_EditNode_Click()
{
    m_steps->EditNode();
}

void FrmMain::Menu_Del_Click()
{
    m_steps->DeleteNode();
}

void FrmMain::Menu_AddLink_Click()
{
    m_steps->AddLink(QString(), QString());
}

void FrmMain::Menu_EditLink_Click()
{
    m_steps->EditLink();
}

void FrmMain::Menu_DelLink_Click()
{
    m_steps->DeleteLink();
}

} // namespace korvel
