#include "widgets/localiseform.h"

#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/leadingnumber.h"
#include "resources/stringtable.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QWidget>
#include <cmath>
#include <limits>

namespace korvel {
namespace {

enum class ControlKind { Label, Menu, TabStrip, SSTab, Toolbar, ListView, Other };

// The control kinds by which ids are stored, recognised from the Qt class.
ControlKind kindOf(const QWidget& widget)
{
    if (qobject_cast<const QLabel*>(&widget))
        return ControlKind::Label;
    if (qobject_cast<const QMenu*>(&widget))
        return ControlKind::Menu;
    if (qobject_cast<const QTabBar*>(&widget))
        return ControlKind::TabStrip;
    if (qobject_cast<const QTabWidget*>(&widget))
        return ControlKind::SSTab;
    if (qobject_cast<const QToolBar*>(&widget))
        return ControlKind::Toolbar;
    if (qobject_cast<const QHeaderView*>(&widget))
        return ControlKind::ListView;
    return ControlKind::Other;
}

// The whole value as a whole number: a number, or a text that is a number from end to end (blanks
// around it allowed), rounded half to even. Anything else throws, which skips the statement.
qint32 wholeNumber(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        throw KorvelError(QStringLiteral("No value"));
    bool ok = false;
    const double number = value.typeId() == QMetaType::QString
                              ? QLocale::c().toDouble(value.toString().trimmed(), &ok)
                              : value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw KorvelError(QStringLiteral("Type mismatch"));
    const double rounded = std::nearbyint(number);
    if (rounded > std::numeric_limits<qint32>::max() || rounded < std::numeric_limits<qint32>::min())
        throw KorvelError(QStringLiteral("Overflow"));
    return static_cast<qint32>(rounded);
}

QVariant tagOf(const QObject& object)
{
    return object.property("Tag");
}

// Writes a control's caption; a control kind without one (a text box, a list) throws.
void setCaption(QWidget& control, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(&control))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(&control))
        group->setTitle(text);
    else if (qobject_cast<QDockWidget*>(&control) || control.isWindow())
        control.setWindowTitle(text);
    else
        throw KorvelError(QStringLiteral("Object doesn't support this property"));
}

void localiseLabel(QLabel& label)
{
    IgnoreErrors([&] { label.setText(LoadResString(wholeNumber(tagOf(label)))); });
}

// A menu's own caption is its title; every item in it is a menu entry with a caption of its own.
void localiseMenu(QMenu& menu)
{
    IgnoreErrors([&] { menu.setTitle(LoadResString(wholeNumber(menu.title()))); });
    const auto actions = menu.actions();
    for (QAction* item : actions) {
        if (item->isSeparator())
            continue;
        IgnoreErrors([&] { item->setText(LoadResString(wholeNumber(item->text()))); });
    }
}

void localiseTabStrip(QTabBar& tabs)
{
    for (int i = 0; i < tabs.count(); ++i) {
        IgnoreErrors([&] { tabs.setTabText(i, LoadResString(wholeNumber(tabs.tabData(i)))); });
        IgnoreErrors([&] { tabs.setTabToolTip(i, LoadResString(wholeNumber(tabs.tabToolTip(i)))); });
    }
}

// Each page is made current in turn and its caption replaced; the page that was current before
// is current again afterwards.
void localiseSSTab(QTabWidget& tabs)
{
    const int current = tabs.currentIndex();
    const int count = tabs.count();
    for (int i = 0; i < count; ++i) {
        IgnoreErrors([&] { tabs.setCurrentIndex(i); });
        IgnoreErrors([&] {
            const int page = tabs.currentIndex();
            tabs.setTabText(page, LoadResString(wholeNumber(tabs.tabText(page))));
        });
    }
    IgnoreErrors([&] { tabs.setCurrentIndex(current); });
}

// Each button's tool tip holds its id; each item of a button's drop-down menu holds one in "Tag".
void localiseToolbar(QToolBar& toolbar)
{
    const auto buttons = toolbar.actions();
    for (QAction* button : buttons) {
        if (button->isSeparator())
            continue;
        IgnoreErrors([&] {
            button->setToolTip(ToolTipWithKey(LoadResString(wholeNumber(button->toolTip())), *button));
        });
        QMenu* buttonMenu = button->menu();
        if (!buttonMenu)
            continue;
        const auto items = buttonMenu->actions();
        for (QAction* item : items)
            IgnoreErrors([&] { item->setText(LoadResString(wholeNumber(tagOf(*item)))); });
    }
}

// Column headers keep their id in the header data under Qt::UserRole.
void localiseListView(QHeaderView& header)
{
    QAbstractItemModel* model = header.model();
    if (!model)
        return;
    const Qt::Orientation orientation = header.orientation();
    const int count = orientation == Qt::Horizontal ? model->columnCount() : model->rowCount();
    for (int section = 0; section < count; ++section)
        IgnoreErrors([&] {
            const QString text =
                LoadResString(wholeNumber(model->headerData(section, orientation, Qt::UserRole)));
            model->setHeaderData(section, orientation, text, Qt::DisplayRole);
        });
}

// Ordinary controls read their ids by the leading-number rule, so an empty or wordy Tag counts as 0.
void localiseOther(QWidget& control)
{
    IgnoreErrors([&] {
        const qint32 n = LeadingWholeNumber(tagOf(control).toString());
        if (n > 0)
            setCaption(control, LoadResString(n));
    });
    IgnoreErrors([&] {
        const qint32 m = LeadingWholeNumber(control.toolTip());
        if (m >= 1)
            control.setToolTip(LoadResString(m));
    });
}

} // namespace

QString ToolTipWithKey(const QString& tip, const QAction& action)
{
    const QKeySequence key = action.shortcut();
    if (key.isEmpty())
        return tip;
    return LoadResString(2209).arg(tip, key.toString(QKeySequence::NativeText));
}

void LocaliseForm(QWidget& form)
{
    IgnoreErrors([&] { form.setWindowTitle(LoadResString(wholeNumber(tagOf(form)))); });

    // findChildren walks depth first, each parent's children in the order they were added.
    QList<QWidget*> controls;
    IgnoreErrors([&] { controls = form.findChildren<QWidget*>(); });
    for (QWidget* control : controls) {
        IgnoreErrors([&] {
            switch (kindOf(*control)) {
            case ControlKind::Label:
                localiseLabel(static_cast<QLabel&>(*control));
                break;
            case ControlKind::Menu:
                localiseMenu(static_cast<QMenu&>(*control));
                break;
            case ControlKind::TabStrip:
                localiseTabStrip(static_cast<QTabBar&>(*control));
                break;
            case ControlKind::SSTab:
                localiseSSTab(static_cast<QTabWidget&>(*control));
                break;
            case ControlKind::Toolbar:
                localiseToolbar(static_cast<QToolBar&>(*control));
                break;
            case ControlKind::ListView:
                localiseListView(static_cast<QHeaderView&>(*control));
                break;
            case ControlKind::Other:
                localiseOther(*control);
                break;
            }
        });
    }
}

} // namespace korvel
