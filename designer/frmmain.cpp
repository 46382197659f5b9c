#include "designer/frmmain.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/qttranslation.h"
#include "widgets/uiservices.h"
#include "canvas/designericons.h"
#include "canvas/flowview.h"
#include "canvas/scenemapper.h"
#include "document/framecontroller.h"
#include "document/framedocument.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

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
    {"-", "", 0},               {"AddNode", "1216", 1207},    {"EditItem", "1217", 1208},
    {"DelItem", "1218", 1209},  {"AddLink", "1219", 1210},    {"LinkTool", "1667", 1664},
    {"-", "", 0},               {"Undo", "", 1650},           {"Redo", "", 1651},
    {"-", "", 0},               {"Check", "1822", 1820},      {"-", "", 0},
    {"Quit", "124", 124},
};

constexpr int InitialWidthPixels = 960;
constexpr int InitialHeightPixels = 640;
} // namespace

template <typename Handler> void FrmMain::RunHandler(const char* procedure, Handler&& handler)
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

void FrmMain::RunCommand(const char* procedure, void (FrmMain::*command)())
{
    RunHandler(procedure, [this, command] { (this->*command)(); });
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
    double x = m_splitterLeft;
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

    m_status = statusBar();
    m_lockState = new QLabel(m_status);
    m_lockState->setObjectName(QStringLiteral("LockState"));
    m_status->addWidget(m_lockState);
    const auto addStatus = [this](QLabel*& label, const char* name) {
        label = new QLabel(m_status);
        label->setObjectName(QString::fromLatin1(name));
        m_status->addPermanentWidget(label);
    };
    addStatus(m_saveState, "SaveState");
    addStatus(m_flowCounts, "FlowCounts");
    addStatus(m_zoomLevel, "ZoomLevel");

    m_tree = new QTreeWidget(m_client);
    m_tree->setObjectName(QStringLiteral("TrvTree"));
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        RunHandler("TrvTree_NodeClick", [&] { TrvTree_NodeClick(item); });
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this] { RunHandler("TrvTree_DblClick", [this] { TrvTree_DblClick(); }); });

    m_flow = new FlowView(m_client);
    m_flow->setToolTipSource([this](const QGraphicsItem& item) { return CanvasToolTip(item); });
    connect(m_flow, &FlowView::DblClick, this,
            [this] { RunHandler("AFFlow_DblClick", [this] { AFFlow_DblClick(); }); });
    connect(m_flow, &FlowView::MouseDown, this, [this](Qt::MouseButton button, QPoint globalPos) {
        RunHandler("AFFlow_MouseDown", [&] { AFFlow_MouseDown(button, globalPos); });
    });
    connect(m_flow, &FlowView::MouseUp, this, [this](Qt::MouseButton button) {
        RunHandler("AFFlow_MouseUp", [&] { AFFlow_MouseUp(button); });
    });
    connect(m_flow, &FlowView::EmptyDblClick, this, [this](QPointF place) {
        RunHandler("AFFlow_EmptyDblClick", [&] { AFFlow_EmptyDblClick(place); });
    });
    connect(m_flow, &FlowView::ConnectRequested, this, [this](const QString& from, const QString& to) {
        RunHandler("AFFlow_ConnectRequested", [&] { AFFlow_ConnectRequested(from, to); });
    });
    connect(m_flow, &FlowView::MoveKeys, this,
            [this](QPointF delta) { RunHandler("MoveSelection", [&] { MoveSelection(delta); }); });
    connect(m_flow, &FlowView::SelectionChanged, this, [this] { IgnoreErrors([this] { SetCommandStates(); }); });
    m_frames = new FrameController([this]() -> cWOrders& { return *m_workOrders; }, this);
    m_mapper = new SceneMapper(m_flow->Scene(), this);
    const auto historyMoved = [this] { IgnoreErrors([this] { SetCommandStates(); }); };
    connect(&m_frames->UndoGroup(), &QUndoGroup::indexChanged, this, historyMoved);
    connect(&m_frames->UndoGroup(), &QUndoGroup::cleanChanged, this, historyMoved);
    connect(&m_frames->UndoGroup(), &QUndoGroup::activeStackChanged, this, historyMoved);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { IgnoreErrors([this] { SetCommandStates(); }); });
    connect(m_flow, &FlowView::ZoomChanged, this, [this] { IgnoreErrors([this] { ShowWindowState(); }); });

    m_imgSplitter = new QWidget(m_client);
    m_imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    m_imgSplitter->setCursor(Qt::SplitHCursor);
    m_imgSplitter->setMouseTracking(false);
    m_imgSplitter->installEventFilter(this);

    m_picSplitter = new QFrame(m_client);
    m_picSplitter->setObjectName(QStringLiteral("picSplitter"));
    m_picSplitter->setFrameShape(QFrame::NoFrame);
    m_picSplitter->setAutoFillBackground(true);
    QPalette barPalette = m_picSplitter->palette();
    barPalette.setColor(QPalette::Window, barPalette.color(QPalette::Dark));
    m_picSplitter->setPalette(barPalette);
    m_picSplitter->hide();

    BuildMenu();
    BuildMenuBar();
    BuildFlowTools();
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
    const auto addItem = [this](const char* name, qint32 captionId, void (FrmMain::*command)()) {
        QAction* action = m_menuNode->addAction(LoadResString(captionId));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                [this, name, command] { RunHandler(name, [&] { (this->*command)(); }); });
    };
    const auto addSeparator = [this](const char* name) {
        QAction* separator = m_menuNode->addSeparator();
        separator->setObjectName(QString::fromLatin1(name));
    };
    addItem("Menu_AddNode", 1010, &FrmMain::Menu_AddNode_Click);
    addItem("Menu_EditNode", 1011, &FrmMain::Menu_EditNode_Click);
    addSeparator("aa");
    addItem("Menu_Del", 1012, &FrmMain::Menu_Del_Click);
    addSeparator("bb");
    addItem("Menu_AddLink", 1013, &FrmMain::Menu_AddLink_Click);
    addItem("Menu_EditLink", 1014, &FrmMain::Menu_EditLink_Click);
    addSeparator("cc");
    addItem("Menu_DelLink", 1015, &FrmMain::Menu_DelLink_Click);
}

void FrmMain::Form_Load()
{
    try {
        LocaliseForm(*this);
        Utility().ApplyFormStyle(this);
        m_workOrders = std::make_unique<cWOrders>();
        m_workOrders->LoadMeList();
        if (!m_workOrders->ReadError().isEmpty())
            ReportUnreadable(m_workOrders->ReadError());
        LoadWorkOrderTree();
        SetEditState(false);
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Form_Load]:"), error);
        return;
    }
    IgnoreErrors([&] {
        if (QTreeWidgetItem* first = m_tree->topLevelItem(0))
            m_tree->setCurrentItem(first);
    });
    IgnoreErrors([&] { TrvTree_NodeClick(SelectedTreeItem()); });
    IgnoreErrors([&] { ShowWindowState(); });
}

cWOrders& FrmMain::WorkOrders()
{
    return *m_workOrders;
}

FlowView& FrmMain::AFFlow()
{
    return *m_flow;
}

QTreeWidget& FrmMain::TrvTree()
{
    return *m_tree;
}

QToolBar& FrmMain::Toolbar1()
{
    return *m_toolbar;
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

QMenu& FrmMain::MenuNode()
{
    return *m_menuNode;
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

QWidget& FrmMain::ImgSplitter()
{
    return *m_imgSplitter;
}

QFrame& FrmMain::PicSplitter()
{
    return *m_picSplitter;
}

QLabel& FrmMain::LockState()
{
    return *m_lockState;
}

QLabel& FrmMain::SaveState()
{
    return *m_saveState;
}

QLabel& FrmMain::FlowCounts()
{
    return *m_flowCounts;
}

QLabel& FrmMain::ZoomLevel()
{
    return *m_zoomLevel;
}

void FrmMain::ShowLockState()
{
    const cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    QString text;
    IgnoreErrors([&] {
        LockHolder holder;
        const bool held = frame && frame->GetLockHolder(holder);
        if (!frame)
            text.clear();
        else if (frame->LockFlag() == 1)
            text = LoadResString(1006).arg(holder.since);
        else if (held)
            text = LoadResString(1007).arg(holder.name, holder.staffId, holder.since);
        else
            text = LoadResString(1008);
    });
    m_lockState->setText(text);
}

QTreeWidgetItem* FrmMain::SelectedTreeItem() const
{
    const auto selected = m_tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void FrmMain::LoadWorkOrderTree()
{
    m_tree->clear();
    m_treeItems.clear();
    for (const auto& [id, frame] : m_workOrders->AllWOrder())
        AddTreeItem(QStringLiteral("N") + id, frame->WorkOrderFrameName,
                    frame->LockFlag() == 1 ? QStringLiteral("DynOpen") : QStringLiteral("DynClose"));
}

QTreeWidgetItem* FrmMain::AddTreeItem(const QString& key, const QString& text, const QString& image)
{
    auto* item = new QTreeWidgetItem(m_tree);
    item->setText(0, text);
    item->setData(0, TreeKeyRole, key);
    SetTreeItemImage(*item, image);
    m_treeItems.insert(key, item);
    return item;
}

void FrmMain::SetTreeItemImage(QTreeWidgetItem& item, const QString& image)
{
    item.setIcon(0, DesignerIcon(image));
    item.setData(0, TreeImageRole, image);
}

QTreeWidgetItem* FrmMain::TreeItemByKey(const QString& key) const
{
    return m_treeItems.value(key, nullptr);
}

void FrmMain::SetEditState(bool editable)
{
    // A frame that could not be read in full is never editable: saving it would write over what
    // the database holds with what little was read.
    if (const cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder()))
        editable = editable && frame->ReadError().isEmpty();
    m_flow->Scene().setEditMode(editable);
    SetCommandStates();
    ShowLockState();
}

bool FrmMain::OfferSave(qint32 questionId)
{
    const QString current = m_workOrders->CurWOrder();
    cWorder* frame = current.isEmpty() ? nullptr : m_workOrders->OneWorkOrder(current);
    if (!frame)
        return true;
    const auto answer = AskToSave(*frame, questionId);
    if (answer == QMessageBox::NoButton)
        return true;
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No) {
        frame->LoadFlag = 0;
        if (FrameDocument* document = m_frames->Find(frame->WorkOrderFrame_ID))
            document->Reload();
    }
    // The frame is read again when it next becomes current; the drawing of the old state must not
    // survive that, even when the same frame is clicked again.
    m_flow->Scene().setTag(QString());
    return true;
}

QMessageBox::StandardButton FrmMain::AskToSave(cWorder& frame, qint32 questionId)
{
    if (!Unsaved(frame))
        return QMessageBox::NoButton;
    const auto answer = Messages().question(LoadResString(questionId) + QStringLiteral("[") +
                                                frame.WorkOrderFrameName + QStringLiteral("]"),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes)
        return answer == QMessageBox::No ? QMessageBox::No : QMessageBox::Cancel;
    if (!SaveFrame(frame))
        return QMessageBox::Cancel;
    Messages().information(LoadResString(126));
    return QMessageBox::Yes;
}

bool FrmMain::SaveFrame(cWorder& frame)
{
    const qint32 result = frame.SaveMe();
    if (result < 1) {
        ReportWriteFailure(127, result);
        return false;
    }
    frame.LoadFlag = 0;
    if (FrameDocument* document = m_frames->Find(frame.WorkOrderFrame_ID))
        document->Reload();
    return true;
}

void FrmMain::ReportUnreadable(const QString& error)
{
    const QSqlDatabase& database = Addin().DBConnection;
    QString name = database.databaseName();
    if (!database.hostName().isEmpty())
        name = database.hostName() + QStringLiteral("/") + name;
    Messages().information(LoadResString(1003).arg(name) + QStringLiteral("\r\n") + error);
}

void FrmMain::ReportWriteFailure(qint32 messageId, qint32 result)
{
    QString text = LoadResString(messageId);
    if (result == NoRowMatched)
        text += QStringLiteral("\r\n") + LoadResString(1001);
    Messages().information(text);
}

void FrmMain::TrvTree_NodeClick(QTreeWidgetItem* item)
{
    try {
        if (!OfferSave(134)) {
            IgnoreErrors([&] {
                if (QTreeWidgetItem* currentItem =
                        TreeItemByKey(QStringLiteral("N") + m_workOrders->CurWOrder()))
                    m_tree->setCurrentItem(currentItem);
            });
            return;
        }
        if (!item) {
            SetEditState(false);
            m_flow->Scene().RemoveAllNodes();
            // With the canvas empty, the frame must be drawn again when it is next selected.
            m_flow->Scene().setTag(QString());
            return;
        }
        m_workOrders->setCurWOrder(item->data(0, TreeKeyRole).toString().mid(1));
        DrawWorkOrder();
        ShowLockState(); // also when the frame was drawn already: its lock may have changed hands
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[TrvTree_NodeClick]:"), error);
    }
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    bool proceed = true;
    IgnoreErrors([&] { proceed = OfferSave(125); });
    if (!proceed) {
        event->ignore();
        return;
    }
    // Every lock this session holds goes back, so nobody finds the frames locked after it ends.
    for (const auto& [id, frame] : m_workOrders->AllWOrder())
        if (frame->LockFlag() == 1)
            IgnoreErrors([&frame] { frame->UnlockMe(); });
    ReleaseDll();
    event->accept();
}

void FrmMain::ReleaseDll()
{
    IgnoreErrors([] {
        QObject* loader = Host().AddinLoader();
        if (!loader)
            throw KorvelError(QStringLiteral("the host has no add-in loader"));
        QMetaObject::invokeMethod(loader, "ReleaseDll", Q_ARG(QString, Addin().StartName));
    });
}

} // namespace korvel
