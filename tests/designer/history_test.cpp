// A frame's history in the window: the History panel, a version drawn read-only, compare, restore
// into the editor (undone with its header) and undelete from the tree's deleted work orders; and the
// path preview, whose marks take turns with a comparison's on the canvas.
#include "designerfixture.h"
#include "canvas/pathmark.h"
#include "designer/historycommands.h"
#include "designer/historypanel.h"
#include "designer/pathpreview.h"
#include "designer/pathpreviewpanel.h"
#include "dialogs/frmsaveas.h"
#include "model/framediff.h"
#include "model/framehistory.h"
#include "resources/stringtable.h"

#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace korvel {
namespace {

class HistoryTest : public DesignerDbTest {
protected:
    HistoryPanel& Panel() { return Window().History().Panel(); }
    void OpenPanel()
    {
        Window().MenuBarAction("History")->trigger();
        ASSERT_TRUE(Panel().isVisible());
    }
    // The first column of a list's rows, top to bottom: the version numbers listed, or the changes.
    static QStringList Texts(const QTreeWidget& list)
    {
        QStringList texts;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            texts << list.topLevelItem(i)->text(0);
        return texts;
    }
    QStringList Listed() { return Texts(Panel().LstVersions()); }
    void ClickVersion(int version, Qt::KeyboardModifiers keys = {})
    {
        QTreeWidget& list = Panel().LstVersions();
        const auto rows = list.findItems(QString::number(version), Qt::MatchExactly, 0);
        ASSERT_EQ(rows.size(), 1) << "no version " << version;
        QTest::mouseClick(list.viewport(), Qt::LeftButton, keys, list.visualItemRect(rows.first()).center());
    }
    void Click(const char* button) { Panel().Button(button).click(); }
    void ClickTreeRow(const QModelIndex& row)
    {
        ASSERT_TRUE(row.isValid());
        QTest::mouseClick(Window().TrvTree().viewport(), Qt::LeftButton, {}, Window().TrvTree().visualRect(row).center());
    }
    // The deleted work order's row under the tree's node (opened first when closed).
    QModelIndex DeletedRow(const QString& frameId)
    {
        const QModelIndex node = Window().Tree().DeletedNode();
        if (!Window().TrvTree().isExpanded(node))
            ClickTreeRow(node);
        for (int i = 0; i < Window().TrvTree().model()->rowCount(node); ++i)
            if (const QModelIndex row = Window().TrvTree().model()->index(i, 0, node);
                row.data(TreeKeyRole).toString() == "D" + frameId)
                return row;
        return {};
    }
    void DeleteStep(const char* key)
    {
        Scene().SelectItem(&CanvasNode(key));
        Messages().planAnswer(QMessageBox::Yes);
        PressButton("DelItem");
    }
};

TEST_P(HistoryTest, ListsTheVersionsShowsOneReadOnlyAndComparesTwo)
{
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
    PressButton("Save");
    DeleteStep("NN00003");
    PressButton("Save");
    OpenPanel();
    ASSERT_EQ(Listed(), (QStringList{"3", "2", "1"})); // 1: as found before the first save
    const FrameVersionRow newest = FrameHistory::Versions("CMP01").first();
    EXPECT_EQ(Panel().LstVersions().topLevelItem(0)->text(2), newest.savedAt);
    EXPECT_EQ(Panel().LstVersions().topLevelItem(0)->text(3), FrameHistory::SummaryLine(newest));

    ClickVersion(1);
    EXPECT_NE(Scene().NodeByKey("NN00003"), nullptr);
    EXPECT_FALSE(Scene().EditMode());
    for (const char* key : {"Save", "AddNode", "Undo", "Del"})
        EXPECT_FALSE(Button(key)->isEnabled()) << key;
    const QString shown = LoadResString(2090).arg("Customer complaint (CMP01)").arg(1);
    EXPECT_EQ(Panel().LblShown().text(), shown);
    EXPECT_TRUE(Window().windowTitle().startsWith(shown)) << Window().windowTitle().toStdString();
    Click("CmdBack");
    EXPECT_EQ(Scene().NodeByKey("NN00003"), nullptr);
    EXPECT_TRUE(Scene().EditMode());

    const auto changes = [&] { return Texts(Panel().LstChanges()); };
    ClickVersion(1);
    ClickVersion(3, Qt::ControlModifier);
    Click("CmdCompare");
    EXPECT_EQ(changes(), DiffLines(DiffFrames(FrameHistory::Content("CMP01", 1), FrameHistory::Content("CMP01", 3))));
    EXPECT_GE(changes().size(), 2); // the moved step and the deleted one at least
    EXPECT_EQ(Scene().NodeByKey("NN00003"), nullptr); // the newer is drawn, the removed step a ghost
    EXPECT_FALSE(Scene().EditMode());

    // One version against the editor, whose unsaved move counts.
    Click("CmdBack");
    Frame("CMP01").AllNode().OneNode("N00001")->setNodeLeft(1234);
    ClickVersion(2);
    Click("CmdCompare");
    FrameRecord editor = FrameHistory::Content("CMP01", 3);
    editor.steps[0].Left = 1234;
    ASSERT_EQ(editor.steps[0].WorkOrderNode_ID, "N00001");
    EXPECT_EQ(changes(), DiffLines(DiffFrames(FrameHistory::Content("CMP01", 2), editor)));
    EXPECT_EQ(Panel().LblShown().text(), LoadResString(2092).arg("Customer complaint (CMP01)").arg(2));
}

TEST_P(HistoryTest, RestoreIsOneEditWithItsHeaderAndStepsWhoseIdsWereTakenGetNewOnes)
{
    ClickFrame("CMP01");
    OpenPanel();
    ClickVersion(1);
    Click("CmdRestore");
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(2096).arg("Customer complaint (CMP01)")});
    OpenLocked("CMP01");
    const int left = Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft();
    Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
    DeleteStep("NN00003");
    PressButton("Save");
    FrameValues renamed = Frame("CMP01").HeaderValues();
    renamed.WorkOrderFrameName = "Renamed";
    ASSERT_EQ(Frame("CMP01").SaveUpdate(renamed), 1);
    Db().exec("UPDATE Two_Node SET WorkOrderNode_ID = 'N00003' WHERE WorkOrderNode_ID = 'N00007'");
    Window().ShowWindowState();
    ASSERT_EQ(Listed(), (QStringList{"3", "2", "1"}));

    Messages().clear();
    ClickVersion(1);
    Click("CmdRestore");
    cWorder& frame = Frame("CMP01");
    const auto restored = [&](int nodeLeft, const QString& name, bool review) {
        EXPECT_EQ(frame.AllNode().OneNode("N00002")->NodeLeft(), nodeLeft);
        EXPECT_EQ(frame.WorkOrderFrameName, name);
        EXPECT_EQ(frame.HeaderPending(), review);
        EXPECT_EQ(frame.AllNode().OneNode("N00007") && frame.AllNode().OneNode("N00007")->CanLoadFlag() == 1, review);
        EXPECT_EQ(Scene().NodeByKey("NN00007") != nullptr, review);
    };
    restored(left, "Customer complaint", true);
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(2097).arg(LoadResString(2105).arg("N00003", "N00007"))});
    EXPECT_EQ(frame.AllNode().OneNode("N00007")->WorkOrderNodeName(), "Supervisor review");
    EXPECT_EQ(frame.AllLink().OneLinks("L3")->SonNode_ID(), "N00007");
    EXPECT_EQ(frame.AllLink().OneLinks("L5")->FatherNode_ID(), "N00007");
    EXPECT_TRUE(Scene().EditMode());
    EXPECT_EQ(Button("Undo")->text(), LoadResString(1652).arg(LoadResString(2095).arg(1)));
    PressButton("Undo");
    restored(4321, "Renamed", false);
    PressButton("Redo");
    restored(left, "Customer complaint", true);

    PressButton("Save");
    EXPECT_EQ(Count("SELECT NodeLeft FROM Two_Node WHERE WorkOrderNode_ID = 'N00002'"), left);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID = 'CMP01'"), 4);
    EXPECT_EQ(Db().scalar("SELECT WorkOrderFrameName FROM TWO_Frame WHERE WorkOrderFrame_ID = 'CMP01'").toString(),
              "Customer complaint");
    EXPECT_EQ(Listed().value(0), "4");
}

TEST_P(HistoryTest, UndeleteBringsAFrameBackUnderItsIdOrANewOne)
{
    for (const char* id : {"REP01", "CMP01"}) {
        OpenLocked(id);
        Messages().planAnswer(QMessageBox::Yes);
        PressButton("Del");
    }
    // The ID is taken again by a frame stored without a version (by a writer that keeps none).
    Db().exec("INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName) VALUES ('CMP01', 'Other')");

    ClickTreeRow(DeletedRow("REP01"));
    EXPECT_TRUE(Panel().isVisible());
    EXPECT_FALSE(Listed().isEmpty());
    EXPECT_NE(Scene().NodeByKey("NN00005"), nullptr);
    EXPECT_FALSE(Scene().EditMode());
    Click("CmdUndelete");
    EXPECT_TRUE(TreeRow("REP01").isValid());
    EXPECT_EQ(Orders().CurWOrder(), "REP01");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID = 'REP01'"), 3);
    EXPECT_NE(Scene().NodeByKey("NN00005"), nullptr);
    EXPECT_FALSE(DeletedRow("REP01").isValid());

    ClickTreeRow(DeletedRow("CMP01"));
    PlanDialog<FrmSaveAs>([](FrmSaveAs& dialog) {
        EXPECT_EQ(dialog.TxtOldWO->text(), "Customer complaint");
        for (const char* id : {"CMP01", "CMP02"}) { // the first refused: taken
            dialog.TxtNewID->setText(id);
            dialog.CmdOK->click();
        }
    });
    Click("CmdUndelete");
    EXPECT_TRUE(Messages().texts().contains(LoadResString(203)));
    EXPECT_EQ(Orders().CurWOrder(), "CMP02");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID = 'CMP02'"), 4);
    EXPECT_EQ(Db().scalar("SELECT WorkOrderFrameName FROM TWO_Frame WHERE WorkOrderFrame_ID = 'CMP01'").toString(), "Other");
}

TEST_P(HistoryTest, PathPreviewMarksWhereAWorkOrderGoesAsValuesAndTheFrameChange)
{
    OpenLocked("CMP01");
    Frame("CMP01").AllNode().OneNode("N00001")->setNodeLeft(1234);
    PressButton("Save"); // version 1 as found, to compare with
    PathPreviewPanel& preview = Window().Preview().Panel();
    Window().MenuBarAction("PreviewPath")->trigger();
    using Look = PathMark::Look;
    // The marks on the canvas by item key, once the pause after typing is over.
    const auto marked = [&] {
        QTest::qWait(300);
        QMap<QString, Look> looks;
        for (QGraphicsObject* item : Scene().Overlay())
            if (auto* mark = qgraphicsitem_cast<PathMark*>(item))
                looks.insert(mark->ItemKey(), mark->MarkLook());
        return looks;
    };
    const auto from = [&](QMap<QString, Look> all) { // `all` and the marks every value shares
        all.insert(QMap<QString, Look>{{"LL1", Look::Taken}, {"LL2", Look::Taken}, {"NBEGIN", Look::Passed},
                                       {"NN00001", Look::Passed}});
        return all;
    };
    EXPECT_EQ(marked(), from({{"NN00002", Look::DeadEnd}, {"NN00003", Look::Unreached}, {"NN00004", Look::Unreached},
                              {"NEND", Look::Unreached}}));
    EXPECT_EQ(preview.LblResult().text(), LoadResString(2145).arg("Investigate", "N00002"));
    EXPECT_EQ(preview.LblUnset().text(), LoadResString(2149).arg("Compensation"));
    QLineEdit* value = preview.Field("compensation");
    ASSERT_NE(value, nullptr);
    Type(value, "600");
    const QMap<QString, Look> over500 = from({{"LL3", Look::Taken}, {"LL5", Look::Taken}, {"LL6", Look::Taken},
        {"NN00002", Look::Passed}, {"NN00003", Look::Passed}, {"NN00004", Look::Passed}, {"NEND", Look::End}});
    EXPECT_EQ(marked(), over500);
    EXPECT_EQ(preview.LblResult().text(), LoadResString(2144));
    EXPECT_EQ(preview.LstPassed().count(), 5); // the four steps and End
    Type(value, "6OO");
    EXPECT_EQ(marked().value("NN00002"), Look::DeadEnd);
    EXPECT_FALSE(value->toolTip().isEmpty());
    Type(value, "100");
    const QMap<QString, Look> upTo500 = from({{"LL4", Look::Taken}, {"LL6", Look::Taken}, {"NN00002", Look::Passed},
        {"NN00003", Look::Unreached}, {"NN00004", Look::Passed}, {"NEND", Look::End}});
    EXPECT_EQ(marked(), upTo500);
    EXPECT_TRUE(value->toolTip().isEmpty());
    // A step chosen in the list is selected on the canvas.
    QListWidget& passed = preview.LstPassed();
    QTest::mouseClick(passed.viewport(), Qt::LeftButton, {}, passed.visualItemRect(passed.item(1)).center());
    EXPECT_EQ(Scene().SelectedNode(), &CanvasNode("NN00002"));

    // An edit, its undo, another frame and back (the value kept), a comparison and the way back.
    DeleteStep("NN00004");
    EXPECT_EQ(marked().value("NN00002"), Look::DeadEnd);
    PressButton("Undo");
    EXPECT_EQ(marked(), upTo500);
    ClickFrame("REP01");
    EXPECT_EQ(marked().value("NN00006"), Look::Passed);
    ClickFrame("CMP01");
    EXPECT_EQ(marked(), upTo500);
    EXPECT_EQ(preview.Field("compensation")->text(), "100");
    OpenPanel();
    ClickVersion(1);
    Click("CmdCompare");
    EXPECT_TRUE(marked().isEmpty());
    EXPECT_FALSE(Scene().Overlay().isEmpty()); // the comparison's
    EXPECT_EQ(preview.LblResult().text(), LoadResString(2150));
    preview.close();
    Window().MenuBarAction("PreviewPath")->trigger(); // opened again: the newer drawing wins
    EXPECT_FALSE(Window().History().Viewing());
    EXPECT_EQ(marked(), upTo500);
    preview.close();
    EXPECT_TRUE(Scene().Overlay().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Db, HistoryTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
