#include "ui/widgets/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace zmt::ui {

namespace {

constexpr const char* kWindowProperty = "zmtAccessibleWindow";
constexpr const char* kToggleProperty = "zmtAccessibleToggle";
constexpr const char* kCheckedProperty = "selected";

class ToggleAccessible : public QAccessibleWidget {
public:
    explicit ToggleAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = widget()->property(kCheckedProperty).toBool();
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        // A key is named by its caption (a label's text); Qt would name it
        // after the group it sits in.
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return widget()->property("text").toString();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* makeInterface(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (widget->property(kWindowProperty).toBool()) return new QAccessibleWidget(widget, QAccessible::Window);
    if (widget->property(kToggleProperty).toBool()) return new ToggleAccessible(widget);
    return nullptr;
}

// Names a control after its hint whenever the hint changes.
class HintNamer : public QObject {
public:
    using QObject::QObject;
    static void apply(QWidget& control) {
        control.setAccessibleName(withoutShortcut(control.toolTip()));
    }

    // "Open a file (Ctrl+O)" is read as "Open a file". Plain string work: a
    // regular expression here would load and compile the expression engine
    // while the first window is built.
    static QString withoutShortcut(QString hint) {
        const qsizetype open = hint.lastIndexOf(QLatin1Char('('));
        if (open < 0 || !hint.endsWith(QLatin1Char(')')) || hint.indexOf(QLatin1Char(')'), open) != hint.size() - 1)
            return hint;
        hint.truncate(open);
        while (!hint.isEmpty() && hint.back().isSpace()) hint.chop(1);
        return hint;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTipChange) apply(*static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void installAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(makeInterface);
}

void markAsWindow(QWidget& window) {
    installAccessibility();
    window.setProperty(kWindowProperty, true);
}

void markAsToggle(QWidget& control) {
    installAccessibility();
    control.setProperty(kToggleProperty, true);
}

void setToggleChecked(QWidget& control, bool checked) {
    const bool was = control.property(kCheckedProperty).toBool();
    control.setProperty(kCheckedProperty, checked);
    if (was == checked || !QAccessible::isActive()) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(&control, changed);
    QAccessible::updateAccessibility(&event);
}

void nameAfterHint(QWidget& control) {
    auto* namer = new HintNamer(&control);
    control.installEventFilter(namer);
    HintNamer::apply(control);
}

} // namespace zmt::ui
