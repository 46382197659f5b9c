#pragma once

#include "tests/designer/designerfixture.h"

#include "designer/flowlinkitem.h"
#include "designer/flownodeitem.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "dialogs/frmselectdoc.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
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

// The designer window over the demo database, with helpers for the frame commands: reading rows
// back and scripting the work-order, save-as and template-picker dialogs.
class FrameCommandsTest : public DesignerTest {
protected:
    // Every row of a query, each column's value as text keyed by its lower-case name.
    QList<QVariantMap> Rows(const QString& sql)
    {
        QSqlQuery query(Db().database());
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
        QList<QVariantMap> rows;
        while (query.next()) {
            QVariantMap row;
            for (int i = 0; i < query.record().count(); ++i)
                row.insert(query.record().fieldName(i).toLower(), query.value(i).toString());
            rows << row;
        }
        return rows;
    }

    // The header row of a frame (empty when there is none) without the given columns.
    QVariantMap FrameRow(const QString& id, std::initializer_list<const char*> without = {})
    {
        QVariantMap row =
            Rows(QStringLiteral("SELECT * FROM TWO_Frame WHERE WorkOrderFrame_ID='%1'").arg(id)).value(0);
        for (const char* column : without)
            row.remove(QString::fromLatin1(column));
        return row;
    }

    int FrameRows(const QString& table, const QString& frameId)
    {
        return Count(
            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE WorkOrderFrame_ID='%2'").arg(table, frameId));
    }

    // Plans a script for the next modal dialog, which must be a `Dialog`.
    template <typename Dialog> void Plan(const std::function<void(Dialog&)>& script)
    {
        Modals().plan([script](QDialog& shown) { script(dynamic_cast<Dialog&>(shown)); });
    }

    // Plans a picker that confirms the template with this key.
    void PlanPick(const QString& key)
    {
        Plan<FrmSelectDoc>([key](FrmSelectDoc& picker) {
            picker.SelectKey(key);
            QTest::mouseClick(picker.CmdOK, Qt::LeftButton);
        });
    }

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

    // Whether a stored creation or modification time looks like one.
    static bool IsTimestamp(const QVariant& value)
    {
        static const QRegularExpression format(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$)"));
        return format.match(value.toString()).hasMatch();
    }
};

} // namespace korvel
