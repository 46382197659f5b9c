#pragma once

class QAction;
class QString;
class QWidget;

namespace korvel {

// Replaces the string-table ids stored in a form and its controls by their texts in the user's
// language. The form's dynamic property "Tag" holds the id of its caption; each child control is
// recognised by a type name derived from its Qt class (QLabel "Label", QMenu "Menu", QToolBar
// "Toolbar", QTabBar "TabStrip", QTabWidget "SSTab", QHeaderView "ListView"; anything else is an
// ordinary control) and its ids are read from "Tag", its text or its tool tip. A property that holds
// no usable id keeps its design text; a toolbar button's tool tip names its key (ToolTipWithKey).
// Never throws.
void LocaliseForm(QWidget& form);

// `tip` followed by the action's first key in the platform's own words, "Save (Ctrl+S)"; `tip`
// alone when the action has no key.
QString ToolTipWithKey(const QString& tip, const QAction& action);

} // namespace korvel
