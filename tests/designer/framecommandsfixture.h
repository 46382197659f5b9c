#pragma once

#include "tests/designer/designerfixture.h"

#include "designer/flowlinkitem.h"
#include "designer/flownodeitem.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "dialogs/frmselectdoc.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "model/cnodes.h"
#include "resources/stringtable.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace korvel {

// The designer window over the demo database (DesignerTest), with helpers for the frame commands:
// reading rows back, scripting the work-order, save-as and template-picker dialogs.

// Every row of a query, each column's value as text keyed by its lower-case name.
inline QList<QVariantMap> Rows(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
    QList<QVariantMap> rows;
    while (query.next()) {
        QVariantMap row;
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i).toLower(), query.value(i).toString());
        rows << row;
    }
    return rows;
}

// The header row of a frame (empty when there is none).
inline QVariantMap FrameRow(const QSqlDatabase& db, const QString& id)
{
    return Rows(db, QStringLiteral("SELECT * FROM TWO_Frame WHERE WorkOrderFrame_ID='%1'").arg(id)).value(0);
}

// A picker script that confirms the template with this key.
inline ScriptedModals::Script PickTemplate(const QString& key)
{
    return [key](QDialog& shown) {
        auto& picker = dynamic_cast<FrmSelectDoc&>(shown);
        picker.SelectKey(key);
        QTest::mouseClick(picker.CmdOK, Qt::LeftButton);
    };
}

class FrameCommandsTest : public DesignerTest {
protected:
    QSqlDatabase DbConnection() { return Db().database(); }

    // Plans a work-order dialog script.
    void PlanOrder(const std::function<void(FrmOrder&)>& script)
    {
        Modals().plan([script](QDialog& shown) { script(dynamic_cast<FrmOrder&>(shown)); });
    }
    void PlanSaveAs(const std::function<void(FrmSaveAs&)>& script)
    {
        Modals().plan([script](QDialog& shown) { script(dynamic_cast<FrmSaveAs&>(shown)); });
    }

    // Double-clicks the frame's tree item.
    void DoubleClickFrame(const QString& frameId)
    {
        ClickFrame(frameId);
        QTreeWidget& tree = Window().TrvTree();
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {},
                           tree.visualItemRect(TreeItem(frameId)).center());
    }

    int LockState(const QString& frameId)
    {
        return Host().services().GetLockState(QStringLiteral("Korvel"), frameId,
                                              QString::fromLatin1(StaffId));
    }

    int FrameRows(const QString& table, const QString& frameId)
    {
        return Count(
            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE WorkOrderFrame_ID='%2'").arg(table, frameId));
    }
};

// A stored creation or modification time.
inline const QRegularExpression Timestamp(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$)"));

} // namespace korvel
