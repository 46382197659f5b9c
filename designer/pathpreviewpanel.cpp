#include "designer/pathpreviewpanel.h"

#include "model/linkcondition.h"
#include "resources/stringtable.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgTitle = 2140,
    MsgValuesHeading = 2142,
    MsgNoVariables = 2143,
    MsgPassedHeading = 2147,
    MsgUnreachedHeading = 2148,
    MsgUnset = 2149,
};

constexpr int IdRole = Qt::UserRole;
// A warning's tint, readable with the field's text in a light and a dark style.
const QColor WarningTint(0xff, 0xd5, 0x80);

} // namespace

PathPreviewPanel::PathPreviewPanel(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("PathPreviewDock"));
    setWindowTitle(LoadResString(MsgTitle));
    setAllowedAreas(Qt::RightDockWidgetArea | Qt::LeftDockWidgetArea | Qt::BottomDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    toggleViewAction()->setObjectName(QStringLiteral("PathPreview"));

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    const auto heading = [&](qint32 textId) {
        auto* label = new QLabel(LoadResString(textId), body);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        layout->addWidget(label);
    };
    heading(MsgValuesHeading);
    m_form = new QFormLayout;
    layout->addLayout(m_form);
    m_none = new QLabel(LoadResString(MsgNoVariables), body);
    m_none->setObjectName(QStringLiteral("LblNoVariables"));
    m_none->setWordWrap(true);
    layout->addWidget(m_none);
    m_result = new QLabel(body);
    m_result->setObjectName(QStringLiteral("LblResult"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_result);
    const auto list = [&](const char* name, qint32 headingId) {
        heading(headingId);
        auto* steps = new QListWidget(body);
        steps->setObjectName(QString::fromLatin1(name));
        layout->addWidget(steps, 1);
        const auto choose = [this](QListWidgetItem* row) {
            if (row)
                emit StepChosen(row->data(IdRole).toString());
        };
        connect(steps, &QListWidget::itemClicked, this, choose);
        connect(steps, &QListWidget::itemActivated, this, choose);
        return steps;
    };
    m_passed = list("LstPassed", MsgPassedHeading);
    m_unreached = list("LstUnreached", MsgUnreachedHeading);
    m_unset = new QLabel(body);
    m_unset->setObjectName(QStringLiteral("LblUnset"));
    m_unset->setWordWrap(true);
    layout->addWidget(m_unset);
    setWidget(body);
}

void PathPreviewPanel::ShowVariables(const QString& frameId, const QList<WalkVariable>& variables,
                                     const WalkValues& values)
{
    m_none->setVisible(!frameId.isEmpty() && variables.isEmpty());
    if (frameId == m_frameId && variables == m_variables)
        return;
    m_frameId = frameId;
    while (m_form->rowCount() > 0)
        m_form->removeRow(0);
    m_fields.clear();
    m_variables = variables;
    for (const WalkVariable& variable : variables) {
        const QString key = VariableKey(variable.name);
        auto* field = new QLineEdit(values.value(key), widget());
        field->setObjectName(QStringLiteral("TxtValue"));
        field->setProperty("VariableKey", key);
        field->setClearButtonEnabled(true);
        connect(field, &QLineEdit::textEdited, this, &PathPreviewPanel::ValuesEdited);
        // Two blanks set the name apart from its operators.
        m_form->addRow(variable.name + QStringLiteral("  ") + variable.operators.join(u' '), field);
        m_fields.insert(key, field);
    }
}

WalkValues PathPreviewPanel::Values() const
{
    WalkValues values;
    for (auto field = m_fields.cbegin(); field != m_fields.cend(); ++field)
        if (!field.value()->text().trimmed().isEmpty())
            values.insert(field.key(), field.value()->text());
    return values;
}

void PathPreviewPanel::ShowFault(const QString& key, const QString& why)
{
    QLineEdit* field = m_fields.value(key);
    if (!field)
        return;
    QPalette palette;
    if (!why.isEmpty()) {
        palette = field->palette();
        palette.setColor(QPalette::Base, WarningTint);
        palette.setColor(QPalette::Text, Qt::black);
    }
    field->setPalette(palette);
    field->setToolTip(why);
}

void PathPreviewPanel::ShowResult(const QString& result, const QList<Step>& passed,
                                  const QList<Step>& unreached, const QStringList& unset)
{
    m_result->setText(result);
    const auto fill = [](QListWidget& list, const QList<Step>& steps) {
        list.clear();
        for (const Step& step : steps) {
            auto* row = new QListWidgetItem(step.text, &list);
            row->setData(IdRole, step.id);
        }
    };
    fill(*m_passed, passed);
    fill(*m_unreached, unreached);
    m_unset->setText(unset.isEmpty() ? QString()
                                     : LoadResString(MsgUnset).arg(unset.join(QStringLiteral(", "))));
    m_unset->setVisible(!unset.isEmpty());
}

} // namespace korvel
