// The flow tools of the window: the check and its findings dock, export and import of frames,
// pictures and printing, and the search across every frame. The work itself is done by the layers
// below (CheckFlow, ExportFramesToFile, ImportFramesFromFile, WriteFramePicture, SearchFlows); this
// file asks the user, shows the results and keeps the window in step.
#include "designer/flowtools.h"

#include "canvas/flowview.h"
#include "canvas/framepicture.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "designer/arrangecommands.h"
#include "designer/findingspanel.h"
#include "designer/framecommands.h"
#include "designer/frametree.h"
#include "designer/frameprinting.h"
#include "designer/frmmain.h"
#include "designer/frmsearch.h"
#include "designer/workprogress.h"
#include "exchange/frameexchange.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "widgets/failurereport.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgCurrentFrame = 1823,
    MsgAllFrames = 1824,
    MsgExportWhich = 1825,
    MsgExportTitle = 1826,
    MsgPictureFilter = 1827,
    MsgFrameFilter = 1828,
    MsgAllFilter = 1829,
    MsgScale = 1830,
    MsgPictureTitle = 1831,
    MsgSeveralExist = 1833,
    MsgImporting = 1835,
    MsgImportTitle = 1836,
    MsgNotListed = 1837,
    MsgReplaceFile = 1838,
    MsgNoFrames = 1839,
    MsgFrameName = 1811,
    MsgOk = 1022,
    MsgCancel = 1023,
    MsgImported = 1471,
    MsgWrote = 1472,
    MsgExistsImportAs = 2271,
};

// The folder the last file was chosen in; the next file dialog opens there.
QString& LastFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

// Asks for a file to write (`save`) or read, through Modals(); empty when cancelled. `filterId`
// names the files offered, `name` is proposed, `suffix` is added to a name typed without one.
QString AskFileName(QWidget* parent, bool save, qint32 titleId, qint32 filterId, const QString& name = {},
                    const QString& suffix = {})
{
    QFileDialog dialog(parent, LoadResString(titleId), LastFolder(),
                       LoadResString(filterId) + QStringLiteral(";;") + LoadResString(MsgAllFilter));
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    // Replacing a file is asked about through Messages(), like every other question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!name.isEmpty())
        dialog.selectFile(name);
    Modals().showModal(dialog);
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    LastFolder() = QFileInfo(path).absolutePath();
    if (save && QFileInfo::exists(path) &&
        Messages().question(FormatMessage(MsgReplaceFile, {QDir::toNativeSeparators(path)}),
                            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return {};
    return path;
}

// A QInputDialog with the string table's title, label and buttons. Its input mode and values are set
// before: a dialog whose buttons exist already checks a number against the range in force when the
// mode changes, and greys OK until the user types.
void PrepareInput(QInputDialog& dialog, const char* name, qint32 titleId, qint32 labelId)
{
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setWindowTitle(LoadResString(titleId));
    dialog.setLabelText(LoadResString(labelId));
    dialog.setOkButtonText(LoadResString(MsgOk));
    dialog.setCancelButtonText(LoadResString(MsgCancel));
}

// The ID as the tree and the file name show it, e.g. "Customer complaint (CMP01)".
QString FrameTitle(const cWorder& frame)
{
    return FormatMessage(MsgFrameName, {frame.WorkOrderFrameName, frame.WorkOrderFrame_ID});
}

// The key of a step's or link's item on the canvas; none for the frame.
QString CanvasKey(FindingItem item, const QString& key)
{
    switch (item) {
    case FindingItem::Step:
        return QStringLiteral("N") + key;
    case FindingItem::Link:
        return QStringLiteral("L") + key;
    case FindingItem::Frame:
        break;
    }
    return {};
}

} // namespace

FlowTools::FlowTools(FrmMain& window, cWOrders& workOrders, FlowView& flow, FrameTree& tree)
    : m_window(window), m_workOrders(workOrders), m_flow(flow), m_tree(tree),
      m_arrange(std::make_unique<ArrangeCommands>(window, workOrders, flow)),
      m_printing(std::make_unique<FramePrinting>(window, workOrders))
{
    m_findings = new FindingsPanel(&window);
    window.addDockWidget(Qt::BottomDockWidgetArea, m_findings);
    m_findings->hide();
    QObject::connect(m_findings, &FindingsPanel::FindingChosen, &window, [this](FindingItem item, const QString& key) {
        IgnoreErrors([&] { ShowFlowItem(CanvasKey(item, key)); });
    });
}

FlowTools::~FlowTools() = default;

FindingsPanel& FlowTools::Findings()
{
    return *m_findings;
}

void FlowTools::SetCommandStates()
{
    const bool current = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder()) != nullptr;
    for (QAction* action :
         {m_window.ToolbarButton(QStringLiteral("Check")), m_window.MenuBarAction(QStringLiteral("ExportPicture")),
          m_window.MenuBarAction(QStringLiteral("PrintPreview")), m_window.MenuBarAction(QStringLiteral("Print"))})
        if (action)
            action->setEnabled(current);
    if (QAction* exportItem = m_window.MenuBarAction(QStringLiteral("Export")))
        exportItem->setEnabled(m_workOrders.Count() > 0);
    m_arrange->SetCommandStates();
}

void FlowTools::RefreshFindings()
{
    if (!m_findings || m_findings->isHidden())
        return;
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame) {
        m_findings->Clear();
        return;
    }
    QList<FlowFinding> findings;
    for (const FlowFinding& finding : std::as_const(m_importFindings))
        if (finding.key == frame->WorkOrderFrame_ID)
            findings << finding;
    m_findings->ShowFindings(frame->WorkOrderFrame_ID, findings + CheckFlow(*frame));
}

void FlowTools::CheckWorkOrder()
{
    m_findings->show();
    m_findings->raise();
    RefreshFindings();
}

void FlowTools::CheckBeforeSave(cWorder& frame)
{
    // A failing check must not keep the work from being saved.
    IgnoreErrors([&] {
        if (HasErrors(CheckFlow(frame)))
            m_findings->show();
        RefreshFindings();
    });
}

void FlowTools::ShowFlowItem(const QString& canvasKey)
{
    QGraphicsItem* item = nullptr;
    if (canvasKey.startsWith(u'N'))
        item = m_flow.Scene().NodeByKey(canvasKey);
    else if (canvasKey.startsWith(u'L'))
        item = m_flow.Scene().LinkByKey(canvasKey);
    m_flow.Scene().SelectItem(item);
    if (item) {
        m_flow.ensureVisible(item);
        m_flow.setFocus();
    }
}

void FlowTools::ExportWorkOrders()
{
    QStringList all;
    for (const FrameListEntry& entry : m_workOrders.AllWOrder())
        all << entry.ID();
    if (all.isEmpty())
        return;
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    QStringList choices;
    if (frame)
        choices << FormatMessage(MsgCurrentFrame, {FrameTitle(*frame)});
    choices << FormatMessage(MsgAllFrames, {QString::number(all.size())});
    QInputDialog choice(&m_window);
    choice.setComboBoxItems(choices);
    choice.setComboBoxEditable(false);
    PrepareInput(choice, "ExportChoice", MsgExportTitle, MsgExportWhich);
    Modals().showModal(choice);
    if (choice.result() != QDialog::Accepted)
        return;
    const bool whole = !frame || choice.textValue() == choices.constLast();
    // The file holds what the database holds: changes not yet saved are saved first, or left out.
    if (frame && !whole) {
        const auto answer = m_window.Frames().AskToSave(*frame, 134);
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Yes)
            frame->LoadOne();
    }
    const QString path = AskFileName(&m_window, true, MsgExportTitle, MsgFrameFilter,
                                     whole ? QStringLiteral("work-orders.json")
                                           : QString(frame->WorkOrderFrame_ID + QStringLiteral(".json")),
                                     QStringLiteral("json"));
    if (path.isEmpty())
        return;
    try {
        ExportFramesToFile(whole ? all : QStringList{frame->WorkOrderFrame_ID}, path);
    } catch (const KorvelError& error) {
        ReportRefusal(error.description());
        return;
    }
    Messages().information(FormatMessage(MsgWrote, {QDir::toNativeSeparators(path)}));
}

void FlowTools::ImportWorkOrders()
{
    const QString path = AskFileName(&m_window, false, MsgImportTitle, MsgFrameFilter);
    if (path.isEmpty())
        return;
    QList<FrameValues> headers;
    try {
        headers = FrameFileHeaders(path);
    } catch (const KorvelError& error) {
        ReportRefusal(error.description());
        return;
    }
    if (headers.isEmpty()) {
        Messages().warning(FormatMessage(MsgNoFrames, {QDir::toNativeSeparators(path)}));
        return;
    }
    // An ID in use is refused unless the user gives the frame a new one, checked like a copy's.
    QString newId;
    for (const FrameValues& header : std::as_const(headers)) {
        const qint32 exists = DBOperate().GetWorkOrderIDExists(header.WorkOrderFrame_ID);
        if (exists == 0) {
            InformDatabaseUnreadable();
            return;
        }
        if (exists != 1)
            continue;
        if (headers.size() > 1) {
            Messages().warning(FormatMessage(MsgSeveralExist, {header.WorkOrderFrame_ID}));
            return;
        }
        newId = FrameCommands::AskNewFrameID(&m_window, LoadResString(MsgImportTitle),
                                             header.WorkOrderFrame_ID, header.WorkOrderFrameName,
                                             FormatMessage(MsgExistsImportAs, {header.WorkOrderFrame_ID}));
        if (newId.isEmpty())
            return;
    }

    ImportResult result;
    try {
        WorkProgress progress(&m_window, FormatMessage(MsgImporting, {QFileInfo(path).fileName()}), 0);
        result = ImportFramesFromFile(path, newId, &progress);
    } catch (const KorvelError& error) {
        ReportRefusal(error.description());
        return;
    }
    m_importFindings = result.findings;

    // The imported frames join the list and the tree at the end, as a new frame does; the frame
    // being edited keeps its changes.
    QStringList lines;
    for (qsizetype i = 0; i < result.frameIds.size(); ++i) {
        const QString& id = result.frameIds.at(i);
        const QString name = headers.value(i).WorkOrderFrameName;
        m_workOrders.AddStoredWorkOrder(id, name);
        lines << FormatMessage(MsgImported, {id});
    }
    Messages().information(lines.join(u'\n'));
    if (!result.findings.isEmpty())
        m_findings->show();
    if (const QString imported = result.frameIds.value(0); m_workOrders.RowOf(imported) >= 0) {
        m_tree.SelectFrame(imported);
        m_window.TrvTree_NodeClick(imported);
    }
}

void FlowTools::ExportPicture()
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame)
        return;
    const QString path =
        AskFileName(&m_window, true, MsgPictureTitle, MsgPictureFilter,
                    frame->WorkOrderFrame_ID + QStringLiteral(".png"), QStringLiteral("png"));
    if (path.isEmpty())
        return;
    double scale = 1.0;
    if (QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        QInputDialog ask(&m_window);
        ask.setInputMode(QInputDialog::DoubleInput);
        ask.setDoubleDecimals(2);
        ask.setDoubleRange(0.05, 20);
        ask.setDoubleValue(1.0);
        PrepareInput(ask, "PictureScale", MsgPictureTitle, MsgScale);
        Modals().showModal(ask);
        if (ask.result() != QDialog::Accepted)
            return;
        scale = ask.doubleValue();
    }
    // The picture shows the flow as it stands on the screen, changes not yet saved included.
    try {
        WriteFramePicture(*frame, path, scale);
    } catch (const KorvelError& error) {
        ReportRefusal(error.description());
        return;
    }
    Messages().information(FormatMessage(MsgWrote, {QDir::toNativeSeparators(path)}));
}

void FlowTools::SearchWorkOrders()
{
    QHash<QString, QString> names;
    for (const FrameListEntry& entry : m_workOrders.AllWOrder())
        names.insert(entry.ID(), entry.Name());
    FrmSearch dialog(names, &m_window);
    // The hit's frame becomes current while the search is still open: a hit that cannot be shown
    // leaves it open for another choice.
    dialog.SetOpener([this](const SearchHit& hit) {
        if (m_workOrders.RowOf(hit.frameId) < 0) {
            Messages().warning(FormatMessage(MsgNotListed, {hit.frameId}));
            return false;
        }
        // The normal way to another frame: it asks about unsaved changes, and a Cancel stays put.
        if (m_workOrders.CurWOrder() != hit.frameId) {
            m_tree.SelectFrame(hit.frameId);
            m_window.TrvTree_NodeClick(hit.frameId);
        }
        return m_workOrders.CurWOrder() == hit.frameId;
    });
    Modals().showModal(dialog);
    if (dialog.Tag() != QLatin1String("T"))
        return;
    const SearchHit hit = dialog.Chosen();
    ShowFlowItem(CanvasKey(hit.kind == SearchItemKind::Step   ? FindingItem::Step
                           : hit.kind == SearchItemKind::Link ? FindingItem::Link
                                                              : FindingItem::Frame,
                           hit.key));
}

} // namespace korvel
