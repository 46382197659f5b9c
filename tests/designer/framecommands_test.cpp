// The frame commands of the designer window through the real dialogs: a new frame, the header edit
// by double click, deletion, save as and printing.

#include "tests/designer/designerfixture.h"

#include "canvas/framepicture.h"
#include "core/failurecause.h"
#include "designer/frameprinting.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "dialogs/frmselectdoc.h"
#include "dialogs/numerictextbox.h"
#include "resources/stringtable.h"

#include <QCheckBox>
#include <QDate>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

namespace korvel {
namespace {

class FrameCommandsTest : public DesignerTest {
protected:
    // The header row of a frame (empty when there is none), each column's value as text keyed by
    // its lower-case name, without the given columns.
    QVariantMap FrameRow(const QString& id, std::initializer_list<const char*> without = {})
    {
        QSqlQuery query(Db().database());
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT * FROM TWO_Frame WHERE WorkOrderFrame_ID='%1'").arg(id)));
        QVariantMap row;
        if (query.next())
            for (int i = 0; i < query.record().count(); ++i)
                row.insert(query.record().fieldName(i).toLower(), query.value(i).toString());
        for (const char* column : without)
            row.remove(QString::fromLatin1(column));
        return row;
    }

    int FrameRows(const QString& table, const QString& frameId)
    {
        return Count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE WorkOrderFrame_ID='%2'").arg(table, frameId));
    }

    // The header fields a new frame needs but its name and ID.
    static void FillHeader(FrmOrder& d, const char* web)
    {
        d.CboPriority->SetKey("P2");
        d.CboType->SetKey("C04");
        d.CboUnit->SetKey("D");
        d.TxtLen->setText("7");
        d.OptWeb->click();
        d.TxtWeb->setText(web);
    }

    void DoubleClickFrame(const QString& frameId)
    {
        ClickFrame(frameId);
        QTest::mouseDClick(Window().TrvTree().viewport(), Qt::LeftButton, {}, TreePoint(frameId));
    }
};

// A new frame stores what the dialog shows and joins the tree locked but not current; cancelled, it adds
// nothing. A double click edits the stored header under the frame's lock: only the name changes, and a
// refused update changes nothing.
TEST_F(FrameCommandsTest, NewFrameAndHeaderEditWriteWhatTheDialogHolds)
{
    PlanDialog<FrmOrder>([](FrmOrder& d) { d.CmdCancel->click(); });
    PressButton("New");
    QString id;
    PlanDialog<FrmOrder>([&](FrmOrder& d) {
        id = d.TxtID->text(); // the proposed ID: six characters of a fresh key
        d.TxtName->setText("  Night callback ");
        FillHeader(d, " https://crm.example.com/night ");
        d.ChkTZ->click();
        d.OptEmail->click();
        d.txtAdd->setText(" night@example.com ");
        PlanDialog<FrmSelectDoc>([](FrmSelectDoc& picker) {
            picker.SelectKey("DT003");
            QTest::mouseClick(picker.CmdOK, Qt::LeftButton);
        });
        d.CmdSeleReplyFile->click();
        d.CmdOK->click();
    });
    PressButton("New");
    ASSERT_EQ(id.size(), 6);
    EXPECT_TRUE(Messages().texts().isEmpty());
    const QVariantMap row = FrameRow(id);
    for (const auto& [column, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"workorderframename", "Night callback"}, {"category", "C04"}, {"priority_id", "P2"},
             {"expiredperiod", "7"}, {"addintype", "1"}, {"weblink", " https://crm.example.com/night "},
             {"createdby", "alice"}, {"replymode", "1"}, {"replyaddress", "night@example.com"},
             {"replyfile", "T003"}, {"replygroup", "DG2"}})
        EXPECT_EQ(row.value(column).toString(), value) << column;
    ASSERT_EQ(Window().TrvTree().model()->rowCount(), 5); // and the deleted work orders' node
    EXPECT_EQ(TreeRow(id).row(), 3);
    EXPECT_EQ(TreeRow(id).data().toString(), "Night callback (" + id + ")");
    EXPECT_EQ(TreeImage(id), "DynOpen");
    EXPECT_EQ(Scene().Tag(), "CMP01");
    EXPECT_EQ(LockState(id), 2);

    // Edited: only the name and the modification columns change, in the row, the tree and the model.
    const QVariantMap before = FrameRow("REP01", {"workorderframename", "modifiedby", "modifieddate"});
    PlanDialog<FrmOrder>([](FrmOrder& d) {
        EXPECT_FALSE(d.TxtID->isEnabled());
        d.TxtName->setText("Home repair (revised)");
        d.CmdOK->click();
    });
    DoubleClickFrame("REP01");
    EXPECT_EQ(FrameRow("REP01", {"workorderframename", "modifiedby", "modifieddate"}), before);
    EXPECT_EQ(FrameRow("REP01").value("workorderframename"), "Home repair (revised)");
    EXPECT_EQ(TreeRow("REP01").data().toString(), "Home repair (revised) (REP01)");
    EXPECT_EQ(Frame("REP01").WorkOrderFrameName, "Home repair (revised)");
    EXPECT_EQ(LockState("REP01"), 0); // taken for the edit and given back

    // Refused by the database: "Update failed", and the name stays in the tree and the model.
    Db().exec("CREATE TRIGGER refuse BEFORE UPDATE ON TWO_Frame BEGIN SELECT RAISE(ABORT, 'no'); END");
    PlanDialog<FrmOrder>([](FrmOrder& d) {
        d.TxtName->setText("Refused");
        d.CmdOK->click();
    });
    DoubleClickFrame("CMP01");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(146).trimmed() + "\n\n" +
                                              DescribeFailure(FailureCause::Unknown, "no")});
    EXPECT_EQ(TreeRow("CMP01").data().toString(), "Customer complaint (CMP01)");
    EXPECT_EQ(Frame("CMP01").WorkOrderFrameName, "Customer complaint");
}

// Delete asks first and needs a selection; done, the frame's rows are gone, nothing is current,
// and the change the deleted frame still had in memory is never saved.
TEST_F(FrameCommandsTest, DeletingTheCurrentFrameRemovesItsRowsAndLeavesNothingToSave)
{
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
    ASSERT_EQ(Frame("CMP01").CheckStatus(), 1);
    const QString question = LoadResString(140) + "Customer complaint (CMP01)" + LoadResString(141);
    Messages().planAnswer(QMessageBox::No);
    PressButton("Del");
    EXPECT_EQ(FrameRows("Two_Node", "CMP01"), 4);
    Messages().planAnswer(QMessageBox::Yes);
    PressButton("Del");
    EXPECT_EQ(Messages().texts(), (QStringList{question, question, LoadResString(142)}));
    for (const char* table : {"TWO_Frame", "Two_Node", "Two_Link"})
        EXPECT_EQ(FrameRows(table, "CMP01"), 0) << table;
    EXPECT_EQ(FrameRows("Two_Node", "REP01"), 3);
    EXPECT_FALSE(TreeRow("CMP01").isValid());
    EXPECT_EQ(Window().TrvTree().model()->rowCount(), 3);
    EXPECT_TRUE(Orders().CurWOrder().isEmpty());
    EXPECT_TRUE(Scene().Nodes().isEmpty());
    EXPECT_FALSE(Scene().EditMode());
    EXPECT_EQ(LockState("CMP01"), 0);
    for (const char* key : {"Lock", "Unlock", "Save", "Saveas", "Del"}) // nothing to lock, save or delete
        EXPECT_FALSE(Button(key)->isEnabled()) << key;

    // A save now writes nothing, Delete wants a frame shown, and switching frames asks nothing.
    Messages().clear();
    Window().Frames().SaveWorkOrder();
    EXPECT_EQ(FrameRows("Two_Node", "CMP01"), 0);
    Window().Toolbar1_ButtonClick("Del");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(144)});
    ClickFrame("REP01");
    EXPECT_EQ(Orders().CurWOrder(), "REP01");
    QTest::keyClick(&Window().TrvTree(), Qt::Key_Down); // the rows after the deleted one moved up
    QCoreApplication::processEvents();
    EXPECT_EQ(Orders().CurWOrder(), "BIL01");
}

// What the tree highlights is the frame shown and the one Delete acts on: dragging the highlight
// from the locked frame onto another row (no click is reported) shows that frame, and Delete then
// refuses it while another user holds its lock. A frame deleted and created anew under its ID
// starts with no undo history.
TEST_F(FrameCommandsTest, DeleteActsOnTheFrameShownUnderItsLockAndTakesItsHistoryAlong)
{
    auto bob = Host().otherUser("bob");
    ASSERT_EQ(bob->services().LockRecord("Korvel", "REP01", "bob"), 1);
    OpenLocked("CMP01");
    Scene().SelectItem(&CanvasNode("NN00001"));
    Window().Selection().CopySteps();
    QTreeView& tree = Window().TrvTree();
    const QPoint from = TreePoint("CMP01"), to = TreePoint("REP01");
    QTest::mousePress(tree.viewport(), Qt::LeftButton, {}, from);
    SendMove(tree.viewport(), to, Qt::LeftButton);
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
    EXPECT_EQ(Orders().CurWOrder(), "REP01");
    EXPECT_EQ(Scene().Tag(), "REP01");
    Window().Toolbar1_ButtonClick("Del");
    ASSERT_EQ(Messages().texts().size(), 1);
    EXPECT_TRUE(Messages().texts().constFirst().startsWith(LoadResString(136))) << Messages().texts().join("|").toStdString();
    EXPECT_EQ(FrameRows("TWO_Frame", "REP01"), 1);
    EXPECT_EQ(FrameRows("TWO_Frame", "CMP01"), 1);

    const auto newFrame = [&] {
        PlanDialog<FrmOrder>([](FrmOrder& d) {
            d.TxtID->setText("ZZ1");
            d.TxtName->setText("Scratch");
            FillHeader(d, "https://crm.example.com/");
            d.CmdOK->click();
        });
        Window().Frames().NewWorkOrder();
        ClickFrame("ZZ1");
        ASSERT_EQ(Orders().CurWOrder(), "ZZ1");
    };
    newFrame();
    Window().Selection().PasteSteps();
    ASSERT_TRUE(Button("Undo")->isEnabled());
    Messages().planAnswer(QMessageBox::Yes);
    PressButton("Del");
    newFrame();
    EXPECT_FALSE(Button("Undo")->isEnabled());
}

// Save as copies the header and the whole flow, and opens the copy locked.
TEST_F(FrameCommandsTest, SaveAsCopiesTheWholeFlowAndOpensTheCopyLocked)
{
    OpenLocked("CMP01");
    PlanDialog<FrmSaveAs>([](FrmSaveAs& d) {
        EXPECT_EQ(d.TxtOldWO->text(), "Customer complaint");
        d.TxtNewID->setText(" CMP02 ");
        d.TxtNewName->setText("Complaint copy");
        d.CmdOK->click();
    });
    PressButton("Saveas");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(1026)});
    EXPECT_EQ(FrameRow("CMP02").value("workorderframename"), "Complaint copy");
    const auto header = {"workorderframe_id", "workorderframename", "createdby", "createddate", "modifiedby",
                         "modifieddate"};
    EXPECT_EQ(FrameRow("CMP02", header), FrameRow("CMP01", header));
    // The steps and links (the model's tests check their mapping), the copy selected, drawn and editable.
    EXPECT_EQ(FrameRows("Two_Node", "CMP02"), 4);
    EXPECT_EQ(FrameRows("Two_Link", "CMP02"), 6);
    EXPECT_EQ(Window().Tree().SelectedFrame(), "CMP02");
    EXPECT_EQ(TreeImage("CMP02"), "DynOpen");
    EXPECT_EQ(Scene().Links().size(), 6);
    EXPECT_TRUE(Scene().EditMode());
    EXPECT_EQ(LockState("CMP02"), 2);
}

// Save as of a frame with an unsaved change asks first. Cancel: nothing. Yes with a refused save:
// nothing is copied and the change stays. No: the copy has the change, the original stays as
// stored. Yes: the change is saved, then copied.
TEST_F(FrameCommandsTest, SaveAsWithUnsavedChangesAsksFirst)
{
    const QString question = LoadResString(134) + "[Customer complaint]";
    const auto moved = [&](const QString& frame) {
        return Count("SELECT COUNT(*) FROM Two_Node WHERE NodeTop=4444 AND WorkOrderFrame_ID='" + frame + "'");
    };
    const auto saveAs = [&](QMessageBox::StandardButton answer, const QString& id) {
        Messages().clear();
        Messages().planAnswer(answer);
        if (!id.isEmpty())
            PlanDialog<FrmSaveAs>([id](FrmSaveAs& d) {
                d.TxtNewID->setText(id); d.TxtNewName->setText("Copy " + id);
                d.CmdOK->click(); });
        PressButton("Saveas");
    };
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00002")->setNodeTop(4444);
    saveAs(QMessageBox::Cancel, {});
    EXPECT_EQ(Messages().texts(), QStringList{question});

    Db().exec("CREATE TRIGGER refuse BEFORE UPDATE ON Two_Node BEGIN SELECT RAISE(ABORT, 'no'); END");
    saveAs(QMessageBox::Yes, {});
    EXPECT_EQ(Messages().texts(),
              (QStringList{question, LoadResString(127) + "\n\n" + DescribeFailure(FailureCause::Unknown, "no")}));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TWO_Frame"), 3);
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 1);
    Db().exec("DROP TRIGGER refuse");

    saveAs(QMessageBox::No, "CPN");
    EXPECT_EQ(Messages().texts(), (QStringList{question, LoadResString(1026)}));
    EXPECT_EQ(moved("CPN"), 1);
    EXPECT_EQ(moved("CMP01"), 0);
    ClickFrame("CMP01"); // the original, as stored: nothing to ask about
    EXPECT_EQ(Frame("CMP01").CheckStatus(), 0);

    Frame("CMP01").AllNode().OneNode("N00002")->setNodeTop(4444);
    saveAs(QMessageBox::Yes, "CPY");
    EXPECT_EQ(Messages().texts(), (QStringList{question, LoadResString(126), LoadResString(1026)}));
    EXPECT_EQ(moved("CMP01"), 1);
    EXPECT_EQ(moved("CPY"), 1);
}

// The tree tells frames of one name apart by their IDs, narrows to what the filter box holds (ID or
// name, any letter case or width) and names each lock's holder in the row's tool tip.
class FrameTreeTest : public DesignerDbTest {
protected:
    // The IDs of the frames the tree shows, sorted, then the highlighted one in brackets.
    QString Shown()
    {
        QStringList ids;
        for (int row = 0; row < Window().TrvTree().model()->rowCount(); ++row)
            if (const QString id = Window().Tree().FrameAt(Window().TrvTree().model()->index(row, 0)); !id.isEmpty())
                ids << id;
        ids.sort();
        return ids.join(u' ') + " [" + Window().Tree().SelectedFrame() + ']';
    }
    QString Tip(const QString& frameId) { return TreeRow(frameId).data(Qt::ToolTipRole).toString(); }
    QString Since(const QString& id) // when the frame's lock was taken
    { return Db().scalar("SELECT LockedAt FROM Korvel_RecordLock WHERE RecordID='" + id + "'").toString(); }
};

TEST_P(FrameTreeTest, FramesAreToldApartFilteredAndTheirLockHoldersNamed)
{
    Db().exec("INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName) VALUES ('CMP09', 'Customer complaint')");
    auto bob = Host().otherUser("bob");
    auto elsewhere = Host().otherUser("alice"); // alice's other window
    ASSERT_EQ(bob->services().LockRecord("Korvel", "REP01", "bob"), 1);
    ASSERT_EQ(elsewhere->services().LockRecord("Korvel", "BIL01", "alice"), 1);
    OpenWindow();
    OpenLocked("CMP01");
    EXPECT_EQ(TreeRow("CMP09").data().toString() + TreeRow("CMP01").data().toString(),
              "Customer complaint (CMP09)Customer complaint (CMP01)");
    EXPECT_EQ(Tip("CMP01"), LoadResString(2024));
    EXPECT_EQ(Tip("REP01"), LoadResString(2026).arg("Bob Novak", "bob", Since("REP01")));
    EXPECT_EQ(Tip("BIL01"), LoadResString(2025).arg(Since("BIL01")));
    // Its session ended: read afresh, the lock is named so but not taken over.
    elsewhere.reset();
    Orders().RefreshLock("BIL01");
    EXPECT_EQ(Tip("BIL01"), LoadResString(2025).arg(Since("BIL01")) + LoadResString(2027));
    EXPECT_FALSE(Host().services().HoldsLock("Korvel", "BIL01"));
    ASSERT_EQ(bob->services().UnlockRecord("Korvel", "REP01", "bob"), 1);
    Orders().RefreshLock("REP01");
    EXPECT_EQ(Tip("REP01"), "");

    // The current frame stays highlighted while it shows; Escape empties the box.
    QLineEdit& filter = Window().Tree().FilterBox();
    for (const auto& [typed, shown] : std::initializer_list<std::pair<const char*, const char*>>{
             {"cmp", "CMP01 CMP09 [CMP01]"}, {"ＣＭＰ０９", "CMP09 []"}, {"bil01", "BIL01 []"},
             {"REPAIR", "REP01 []"}, {"complaint", "CMP01 CMP09 [CMP01]"}, {"nothing like it", " []"}}) {
        filter.clear();
        filter.insert(QString::fromUtf8(typed)); // pasted: wide letters cannot be typed here
        EXPECT_EQ(Shown(), shown) << typed;
    }
    QTest::keyClick(&filter, Qt::Key_Escape);
    EXPECT_EQ(filter.text() + Shown(), "BIL01 CMP01 CMP09 REP01 [CMP01]");
    // A frame the filter hides is shown when chosen (as a search hit is).
    Type(&filter, "REP");
    Window().Tree().SelectFrame("CMP09");
    EXPECT_EQ(filter.text() + Shown(), "BIL01 CMP01 CMP09 REP01 [CMP09]");
}

INSTANTIATE_TEST_SUITE_P(Db, FrameTreeTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

// Print and its preview: one landscape page, the frame's name, ID and day at its top above the flow.
TEST_F(FrameCommandsTest, PrintShowsTheFramesTitleAboveItsFlowOnALandscapePage)
{
    ClickFrame("CMP01");
    cWorder& frame = Frame("CMP01");
    const QString title = FramePrinting::PageTitle(frame);
    EXPECT_TRUE(title.startsWith("Customer complaint (CMP01), printed ")) << title.toStdString();
    EXPECT_TRUE(title.contains(QString::number(QDate::currentDate().year())));

    // The page: the title's ink in the top strip, the flow fitted below it.
    QImage page(1100, 780, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const QRectF flow = PaintFramePage(frame, painter, page.rect(), title);
    painter.end();
    EXPECT_GE(flow.top(), 780 / 30.0);
    EXPECT_TRUE(QRectF(page.rect()).contains(flow));
    EXPECT_NEAR(flow.width(), 1100, 1);
    const QImage strip = page.copy(0, 0, 400, 780 / 30).convertToFormat(QImage::Format_Grayscale8);
    EXPECT_LT(*std::min_element(strip.constBits(), strip.constBits() + strip.sizeInBytes()), 100);

    PlanDialog<QPrintPreviewDialog>([](QPrintPreviewDialog& preview) {
        auto* pages = preview.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(pages, nullptr);
        pages->updatePreview();
        EXPECT_EQ(pages->pageCount(), 1);
        EXPECT_EQ(pages->orientation(), QPageLayout::Landscape);
        preview.reject();
    });
    Window().MenuBarAction("PrintPreview")->trigger();

    QTemporaryDir folder;
    const QString pdf = folder.filePath("flow.pdf");
    PlanDialog<QPrintDialog>([&](QPrintDialog& dialog) {
        EXPECT_EQ(dialog.printer()->pageLayout().orientation(), QPageLayout::Landscape);
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(pdf);
        dialog.done(QDialog::Accepted); // accept() would set the printer up afresh from Qt's own widgets
    });
    Window().MenuBarAction("Print")->trigger();
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch box =
        QRegularExpression(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])").match(QString::fromLatin1(written.readAll()));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble()); // landscape
    EXPECT_TRUE(Messages().texts().isEmpty());
}

} // namespace
} // namespace korvel
