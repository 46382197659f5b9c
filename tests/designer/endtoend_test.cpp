// One whole working session through the real windows: a new frame is created, given steps and
// transitions, saved, copied, and the original deleted; then every table is checked.

#include "tests/designer/designerfixture.h"

#include "designer/flowlinkitem.h"
#include "designer/flownodeitem.h"
#include "dialogs/frmlink.h"
#include "dialogs/frmnode.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "dialogs/frmselectdoc.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "resources/stringtable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>

namespace korvel {
namespace {

using EndToEndTest = DesignerTest;

// Rows of a query as "a|b|c" lines, in the query's order.
QStringList Lines(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
    QStringList lines;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.value(i).toString();
        lines << fields.join(QLatin1Char('|'));
    }
    return lines;
}

struct NewStep {
    QString id; // empty: keep the proposed ID
    QString name, priority, unit, length, group, staff;
};

struct NewLink {
    QString code, name, father, son, variable, compare, value; // no variable: always open
};

class Session : public EndToEndTest {
protected:
    // Adds a step through the canvas menu and the node dialog; returns its ID.
    QString AddStep(const NewStep& step)
    {
        QString id;
        Modals().plan([&](QDialog& shown) {
            auto& d = dynamic_cast<FrmNode&>(shown);
            if (!step.id.isEmpty())
                d.TxtID->setText(step.id);
            id = d.TxtID->text();
            d.TxtName->setText(step.name);
            d.CboPriority->SetKey(step.priority);
            d.CboUnit->SetKey(step.unit);
            d.TxtLen->setText(step.length);
            d.CboStaffGroup->SetKey(step.group);
            d.CboStaff->SetKey(step.staff);
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        });
        Window().MenuItem(QStringLiteral("Menu_AddNode"))->trigger();
        return id;
    }

    void AddLink(const NewLink& link)
    {
        Modals().plan([&](QDialog& shown) {
            auto& d = dynamic_cast<FrmLink&>(shown);
            d.TxtID->setText(link.code);
            d.Txtdesc->setText(link.name);
            d.CboParent->SetKey(link.father);
            d.CboChild->SetKey(link.son);
            if (!link.variable.isEmpty()) {
                d.OptFilter->click();
                d.TxtFilter->setText(link.variable);
                d.CboRelation->setCurrentIndex(d.CboRelation->findText(link.compare));
                d.TxtValue->setText(link.value);
            }
            QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        });
        Window().MenuItem(QStringLiteral("Menu_AddLink"))->trigger();
    }
};

TEST_F(Session, CreateBuildSaveCopyAndDeleteAFrame)
{
    QSqlDatabase db = Db().database();

    // 1. A new frame with a dynamic form, a print template and an e-mail reply.
    Modals().plan([](QDialog& shown) {
        auto& d = dynamic_cast<FrmOrder&>(shown);
        d.TxtID->setText(QStringLiteral("WAR01"));
        d.TxtName->setText(QStringLiteral("Warranty claim"));
        d.CboPriority->SetKey(QStringLiteral("P2"));
        d.CboType->SetKey(QStringLiteral("C02"));
        d.CboUnit->SetKey(QStringLiteral("D"));
        d.TxtLen->setText(QStringLiteral("3"));
        d.CboBuild->SetKey(QStringLiteral("F02"));
        d.CboUnit1->SetKey(QStringLiteral("H"));
        d.TxtLen1->setText(QStringLiteral("8"));
        ScriptedModals& modals = dynamic_cast<ScriptedModals&>(korvel::Modals());
        modals.plan([](QDialog& picker) {
            auto& p = dynamic_cast<FrmSelectDoc&>(picker);
            p.SelectKey(QStringLiteral("DT005"));
            QTest::mouseClick(p.CmdOK, Qt::LeftButton);
        });
        d.CmdSelectFile->click();
        d.ChkTZ->click();
        d.OptEmail->click();
        d.txtAdd->setText(QStringLiteral("claims@example.com"));
        modals.plan([](QDialog& picker) {
            auto& p = dynamic_cast<FrmSelectDoc&>(picker);
            p.SelectKey(QStringLiteral("DT003"));
            QTest::mouseClick(p.CmdOK, Qt::LeftButton);
        });
        d.CmdSeleReplyFile->click();
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    PressButton(QStringLiteral("New"));
    ASSERT_NE(TreeItem(QStringLiteral("WAR01")), nullptr);

    // 2. Open it: its creator holds the lock, so it is editable at once.
    ClickFrame(QStringLiteral("WAR01"));
    ASSERT_EQ(Orders().CurWOrder(), QStringLiteral("WAR01"));
    ASSERT_TRUE(Canvas().EditMode());
    EXPECT_EQ(Canvas().Nodes().size(), 2);

    // 3. Three steps and five transitions. The first step takes the proposed ID, the first free one
    //    in the database; the proposal does not know of unsaved steps, so the others are named.
    const QString check = AddStep({"", "Check warranty", "P2", "H", "4", "G01", "alice"});
    const QString repair = AddStep({"WRP002", "Repair", "P3", "D", "2", "G03", "carol"});
    const QString callBack = AddStep({"WRP003", "Call back", "P3", "H", "1", "G06", ""});
    EXPECT_EQ(check, QStringLiteral("N00010"));
    EXPECT_TRUE(Messages().texts().isEmpty());
    // New steps appear stacked at the top left corner; each is dragged to a place of its own,
    // the topmost (last added) first.
    int slot = 0;
    for (const QString& id : {callBack, repair, check}) {
        ASSERT_NE(Canvas().NodeByKey(QStringLiteral("N") + id), nullptr) << id.toStdString();
        FlowNodeItem& node = CanvasNode(QStringLiteral("N") + id);
        ++slot;
        Drag(ViewportCentre(node), QPoint(110 * slot, 40 * slot));
        EXPECT_GT(node.Left(), 0) << id.toStdString();
    }
    AddLink({"W1", "Claim received", "BEGIN", check, "", "", ""});
    AddLink({"W2", "In warranty", check, repair, "InWarranty", "=", "1"});
    AddLink({"W3", "Out of warranty", check, "END", "InWarranty", "=", "0"});
    AddLink({"W4", "Repaired", repair, callBack, "", "", ""});
    AddLink({"W5", "Customer told", callBack, "END", "", "", ""});
    EXPECT_EQ(Canvas().Nodes().size(), 5);
    EXPECT_EQ(Canvas().Links().size(), 5);
    ASSERT_NE(Canvas().LinkByKey(QStringLiteral("LW2")), nullptr);
    EXPECT_EQ(Canvas().LinkByKey(QStringLiteral("LW2"))->Color(), LinkColorConditional);

    // 4. The call-back returns to the step that checked the warranty.
    Canvas().SelectItem(&CanvasNode(QStringLiteral("N") + callBack));
    Modals().plan([&](QDialog& shown) {
        auto& d = dynamic_cast<FrmNode&>(shown);
        d.OptOld->click();
        d.CboStep->SetKey(check);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    Window().MenuItem(QStringLiteral("Menu_EditNode"))->trigger();
    EXPECT_EQ(CanvasNode(QStringLiteral("N") + callBack).Picture(), QStringLiteral("Return"));

    // 5. Save.
    PressButton(QStringLiteral("Save"));
    EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID='WAR01'"), 3);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID='WAR01'"), 5);

    // 6. Copy it; the copy is opened, locked.
    Modals().plan([](QDialog& shown) {
        auto& d = dynamic_cast<FrmSaveAs&>(shown);
        EXPECT_EQ(d.TxtOldWO->text(), QStringLiteral("Warranty claim"));
        d.TxtNewID->setText(QStringLiteral("WAR02"));
        d.TxtNewName->setText(QStringLiteral("Extended warranty claim"));
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    PressButton(QStringLiteral("Saveas"));
    EXPECT_EQ(Messages().texts().last(), QStringLiteral("另存成功"));
    EXPECT_EQ(Orders().CurWOrder(), QStringLiteral("WAR02"));
    EXPECT_EQ(Canvas().Nodes().size(), 5);

    // 7. Delete the original.
    ClickFrame(QStringLiteral("WAR01"));
    ASSERT_TRUE(Canvas().EditMode());
    Messages().clear();
    Messages().planAnswer(QMessageBox::Yes);
    PressButton(QStringLiteral("Del"));
    EXPECT_EQ(Messages().texts().last(), LoadResString(142));
    EXPECT_TRUE(Orders().CurWOrder().isEmpty());
    EXPECT_EQ(TreeItem(QStringLiteral("WAR01")), nullptr);

    // Every table afterwards.
    EXPECT_EQ(Lines(db, "SELECT WorkOrderFrame_ID FROM TWO_Frame ORDER BY WorkOrderFrame_ID"),
              (QStringList{"BIL01", "CMP01", "REP01", "WAR02"}));
    EXPECT_EQ(
        Lines(db, "SELECT WorkOrderFrameName, Category, Priority_ID, ExpiredPeriod, ExpiredPeriodType_ID, "
                  "CanSkip, AddinType, WEBLink, Group_IDA, CanFullScreen, PrintFormat, CanGenerateOB, "
                  "GenerateRate, Group_IDA2, CreatedBy, ReplyFlag, ReplyMode, ReplyAddress, ReplyFile, "
                  "PRINTGROUP, REPLYGROUP, REPLYCONTENT, ForecastUnit, ForecastLen FROM TWO_Frame "
                  "WHERE WorkOrderFrame_ID='WAR02'"),
        QStringList{"Extended warranty claim|C02|P2|3|D|0|2||F02|0|T005|0|0||alice|1|1|claims@example.com|"
                    "T003|DG3|DG2||H|8"});

    // The copy's steps under fresh IDs, the return step pointing at the copy of "Check warranty".
    const QStringList nodes =
        Lines(db, "SELECT WorkOrderNodeName, WorkOrderNode_ID, Priority_ID, ExpiredPeriod, "
                  "ExpiredPeriodType_ID, HandleGroup_ID, HandleBy_ID, ReturnOldStep "
                  "FROM Two_Node WHERE WorkOrderFrame_ID='WAR02' ORDER BY WorkOrderNodeName");
    ASSERT_EQ(nodes.size(), 3);
    QHash<QString, QString> copied{{"BEGIN", "BEGIN"}, {"END", "END"}};
    const QStringList names{"Call back", "Check warranty", "Repair"};
    const QStringList originals{callBack, check, repair};
    for (int i = 0; i < 3; ++i) {
        const QStringList f = nodes[i].split(QLatin1Char('|'));
        EXPECT_EQ(f[0], names[i]);
        EXPECT_FALSE(originals.contains(f[1])) << f[1].toStdString();
        copied.insert(originals[i], f[1]);
    }
    EXPECT_EQ(nodes[0].section(QLatin1Char('|'), 2), QStringLiteral("P3|1|H|G06||") + copied.value(check));
    EXPECT_EQ(nodes[1].section(QLatin1Char('|'), 2), QStringLiteral("P2|4|H|G01|alice|"));
    EXPECT_EQ(nodes[2].section(QLatin1Char('|'), 2), QStringLiteral("P3|2|D|G03|carol|"));
    // Where the user put the steps was saved, and copied.
    EXPECT_EQ(
        Count(
            "SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID='WAR02' AND NodeLeft > 0 AND NodeTop > 0"),
        3);

    EXPECT_EQ(Lines(db, "SELECT WorkOrderLink_ID, WorkOrderLinkName, FatherNode_ID, SonNode_ID, AlwaysOpen, "
                        "AddinVariant, CompareType, VariantValue FROM Two_Link "
                        "WHERE WorkOrderFrame_ID='WAR02' ORDER BY WorkOrderLink_ID"),
              (QStringList{
                  "W1|Claim received|BEGIN|" + copied.value(check) + "|0|||",
                  "W2|In warranty|" + copied.value(check) + "|" + copied.value(repair) + "|1|InWarranty|=|1",
                  "W3|Out of warranty|" + copied.value(check) + "|END|1|InWarranty|=|0",
                  "W4|Repaired|" + copied.value(repair) + "|" + copied.value(callBack) + "|0|||",
                  "W5|Customer told|" + copied.value(callBack) + "|END|0|||",
              }));

    // Nothing of the original is left; the demo frames are untouched.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID='WAR01'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID='WAR01'"), 0);
    EXPECT_EQ(Lines(db, "SELECT WorkOrderFrame_ID, COUNT(*) FROM Two_Node GROUP BY WorkOrderFrame_ID "
                        "ORDER BY WorkOrderFrame_ID"),
              (QStringList{"BIL01|2", "CMP01|4", "REP01|3", "WAR02|3"}));
    EXPECT_EQ(Lines(db, "SELECT WorkOrderFrame_ID, COUNT(*) FROM Two_Link GROUP BY WorkOrderFrame_ID "
                        "ORDER BY WorkOrderFrame_ID"),
              (QStringList{"BIL01|4", "CMP01|6", "REP01|5", "WAR02|5"}));

    // The user still holds the copy, not the deleted original; nothing went wrong on the way.
    EXPECT_EQ(Host().services().GetLockState("Korvel", "WAR02", StaffId), 2);
    EXPECT_EQ(Host().services().GetLockState("Korvel", "WAR01", StaffId), 0);
    EXPECT_TRUE(Host().logLines().isEmpty()) << Host().logLines().join('\n').toStdString();
}

} // namespace
} // namespace korvel
