#include "ui/picker/reaction_picker.h"

#include "config/reaction_text.h"
#include "lang/lang.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/controls.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>

// The consumer buttons' icons live in the window library's resources, which a
// static library only links in when asked by name.
static void loadPickerResources() { Q_INIT_RESOURCE(resources); }

namespace zmt::ui {

namespace {

// Window layout. The keyboard is drawn on a grid of quarter key widths so
// that the wide keys (Tab, Caps, Shift, the space bar) fall where a PC
// keyboard has them: a 15-key main block, the navigation block and the
// numeric keypad.
constexpr int kGroupLeft = 4;
constexpr int kGroupWidth = ReactionPicker::kClientWidth - 2 * kGroupLeft;
constexpr QRect kSystemGroup{kGroupLeft, 2, kGroupWidth, 46};
constexpr QRect kConsumerGroup{kGroupLeft, 50, kGroupWidth, 56};
constexpr QRect kKeyboardGroup{kGroupLeft, 108, kGroupWidth, 238};
constexpr int kUnit = 31;            // one key width
constexpr int kRowHeight = 24;
constexpr int kKeyGap = 2;
constexpr int kKeyboardLeft = 12;
constexpr int kKeyboardTop = 20;
constexpr int kFunctionRowGap = 6;   // the F keys stand apart from the rest
constexpr int kConsumerButtonSide = 30;

constexpr QColor kSelectedColour{0, 128, 0};

// The rows the arrow keys go by, from the top: the system controls, the
// multimedia buttons, then the keyboard's own rows (the function row first).
constexpr int kSystemRow = 0;
constexpr int kConsumerRow = 1;
constexpr int kKeyboardRow = 2;

// One key: what it stands for, where (in quarter key widths and rows) and
// how big. A usage of 0 marks a modifier panel, whose bit is in `modifier`.
struct KeyPlace {
    int usage;
    int modifier;
    int x;        // quarter units from the left edge of the keyboard
    int row;      // 0 the function row, 1..5 the rest
    int width = 4;
    int rows = 1;
};

constexpr int kNav = 62;   // left edge of the navigation block
constexpr int kPad = 76;   // left edge of the numeric keypad

std::vector<KeyPlace> keyboardLayout() {
    std::vector<KeyPlace> keys;
    auto key = [&](int usage, int x, int row, int width = 4, int rows = 1) {
        keys.push_back({usage, -1, x, row, width, rows});
    };
    auto modifier = [&](int bit, int x, int row, int width) { keys.push_back({0, bit, x, row, width, 1}); };
    auto run = [&](std::initializer_list<int> usages, int x, int row) {
        for (int usage : usages) {
            key(usage, x, row);
            x += 4;
        }
    };
    // Function row.
    key(41, 0, 0);
    run({58, 59, 60, 61}, 8, 0);
    run({62, 63, 64, 65}, 26, 0);
    run({66, 67, 68, 69}, 44, 0);
    run({70, 71, 72}, kNav, 0);
    // Digits.
    run({53, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 45, 46}, 0, 1);
    key(42, 52, 1, 8);
    run({73, 74, 75}, kNav, 1);
    run({83, 84, 85, 86}, kPad, 1);
    // Upper letters.
    key(43, 0, 2, 6);
    run({20, 26, 8, 21, 23, 28, 24, 12, 18, 19, 47, 48}, 6, 2);
    key(49, 54, 2, 6);
    run({76, 77, 78}, kNav, 2);
    run({95, 96, 97}, kPad, 2);
    key(87, kPad + 12, 2, 4, 2);
    // Home row.
    key(57, 0, 3, 7);
    run({4, 22, 7, 9, 10, 11, 13, 14, 15, 51, 52}, 7, 3);
    key(40, 51, 3, 9);
    run({92, 93, 94}, kPad, 3);
    // Lower letters.
    modifier(1, 0, 4, 9);
    run({29, 27, 6, 25, 5, 17, 16, 54, 55, 56}, 9, 4);
    modifier(5, 49, 4, 11);
    key(82, kNav + 4, 4);
    run({89, 90, 91}, kPad, 4);
    key(88, kPad + 12, 4, 4, 2);
    // Bottom row.
    modifier(0, 0, 5, 5);
    modifier(3, 5, 5, 5);
    modifier(2, 10, 5, 5);
    key(44, 15, 5, 25);
    modifier(6, 40, 5, 5);
    modifier(7, 45, 5, 5);
    key(101, 50, 5, 5);
    modifier(4, 55, 5, 5);
    run({80, 81, 79}, kNav, 5);
    key(98, kPad, 5, 8);
    key(99, kPad + 8, 5);
    return keys;
}

QRect keyRect(const KeyPlace& place) {
    const int left = kKeyboardLeft + place.x * kUnit / 4;
    const int right = kKeyboardLeft + (place.x + place.width) * kUnit / 4;
    const int top = kKeyboardTop + place.row * kRowHeight + (place.row > 0 ? kFunctionRowGap : 0);
    return {left, top, right - left - kKeyGap, place.rows * kRowHeight - kKeyGap};
}

// Icon file of each consumer button, by usage.
const char* consumerIcon(uint16_t usage) {
    switch (usage) {
    case 0x00E9: return ":/icons/mm_volume_up.png";
    case 0x00EA: return ":/icons/mm_volume_down.png";
    case 0x00E2: return ":/icons/mm_mute.png";
    case 0x00B6: return ":/icons/mm_prev_track.png";
    case 0x00B4: return ":/icons/mm_rewind.png";
    case 0x00B0: return ":/icons/mm_play.png";
    case 0x00CD: return ":/icons/mm_play_pause.png";
    case 0x00B1: return ":/icons/mm_pause.png";
    case 0x00B7: return ":/icons/mm_stop.png";
    case 0x00B2: return ":/icons/mm_record.png";
    case 0x00B3: return ":/icons/mm_forward.png";
    case 0x00B5: return ":/icons/mm_next_track.png";
    case 0x0183: return ":/icons/mm_media_library.png";
    case 0x0196: return ":/icons/mm_browser.png";
    case 0x0192: return ":/icons/mm_calculator.png";
    case 0x018A: return ":/icons/mm_email.png";
    case 0x0194: return ":/icons/mm_computer.png";
    case 0x0223: return ":/icons/mm_home.png";
    case 0x0224: return ":/icons/mm_back.png";
    default: return nullptr;
    }
}

} // namespace

ReactionPicker::ReactionPicker(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormKeyBoard"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // Opening the picker from the main window must leave the keyboard focus there.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kClientWidth, kClientHeight);
    loadPickerResources();
    buildSystemControls();
    buildConsumerButtons();
    buildKeyboard();
    clearHighlights();
}

Panel* ReactionPicker::addPanel(QWidget* parent, PickerControl control, const QString& caption, const QRect& where) {
    auto* panel = new Panel(parent);
    // Before its caption is set: setting it may already have a screen
    // reader ask what the panel is.
    markAsToggle(*panel);
    panel->setObjectName(QString::fromStdString(pickerControlName(control)));
    panel->setText(caption);
    panel->setGeometry(where);
    panel->setAutoFillBackground(true);
    panel->installEventFilter(this);
    // Every key is a tab stop, toggled with Space or Enter; a click leaves
    // the focus where it is, as before.
    panel->setFocusPolicy(Qt::TabFocus);
    keyPanels_.push_back({panel, control});
    return panel;
}

void ReactionPicker::buildSystemControls() {
    auto* group = new QGroupBox(this);
    editingGroups_.push_back(group);
    group->setObjectName(QStringLiteral("GroupBoxSystemControl"));
    group->setGeometry(kSystemGroup);
    constexpr int width = 86;
    for (int n = 0; n < kSystemControlCount; ++n) {
        Panel* panel = addPanel(group, {PickerControl::System, uint16_t(n)},
                                QString::fromLatin1(kSystemControlCaptions[n]),
                                QRect(kKeyboardLeft + n * (width + 4), 18, width, 22));
        arrowStops_.push_back({panel, kSystemRow, kSystemRow});
    }
}

void ReactionPicker::buildConsumerButtons() {
    auto* group = new QGroupBox(this);
    editingGroups_.push_back(group);
    group->setObjectName(QStringLiteral("GroupBoxKeyboardPage0C"));
    group->setGeometry(kConsumerGroup);
    int left = kKeyboardLeft;
    // The buttons in the order of their usages, for highlighting.
    std::vector<std::pair<uint16_t, QToolButton*>> byUsage;
    for (const ConsumerKey& key : kConsumerKeys) {
        auto* button = new QToolButton(group);
        const PickerControl control{PickerControl::Consumer, key.usage};
        button->setObjectName(QString::fromStdString(pickerControlName(control)));
        button->setCheckable(true);
        button->setGeometry(left, 18, kConsumerButtonSide, kConsumerButtonSide);
        button->setIconSize(QSize(22, 22));
        if (const char* icon = consumerIcon(key.usage)) button->setIcon(pictureIcon(icon));
        // The keyword is the same in both languages, as in the descriptions.
        button->setToolTip(QString::fromLatin1(key.keyword));
        button->setAccessibleName(QString::fromLatin1(key.keyword));
        connect(button, &QToolButton::clicked, this, [this, control] { onPickerKey(control); });
        button->installEventFilter(this);   // the arrows, as on the other keys
        arrowStops_.push_back({button, kConsumerRow, kConsumerRow});
        left += kConsumerButtonSide + 1;
        byUsage.emplace_back(key.usage, button);
    }
    std::sort(byUsage.begin(), byUsage.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (byUsage.size() > kMaxConsumerUsages) byUsage.resize(kMaxConsumerUsages);
    for (const auto& [usage, button] : byUsage) {
        consumerUsages_.push_back(usage);
        consumerButtons_.push_back(button);
    }

    auto* codeGroup = new QGroupBox(group);
    codeGroup->setObjectName(QStringLiteral("GroupBoxMMKeyCode"));
    codeGroup->setGeometry(left + 10, 6, kGroupWidth - left - 18, 44);
    editMMKey_ = new QLineEdit(codeGroup);
    editMMKey_->setObjectName(QStringLiteral("EditMMKey"));
    editMMKey_->setGeometry(8, 18, codeGroup->width() - 16, 20);
    connect(editMMKey_, &QLineEdit::returnPressed, this, [this] { onCodeEntered(PickerEntry::Consumer); });
}

void ReactionPicker::buildKeyboard() {
    auto* group = new QGroupBox(this);
    editingGroups_.push_back(group);
    group->setObjectName(QStringLiteral("GroupBoxKeyboardPage07"));
    group->setGeometry(kKeyboardGroup);
    QFont keyFont = font();
    keyFont.setPointSizeF(std::max(6.0, keyFont.pointSizeF() - 1.0));
    int bottom = 0;
    for (const KeyPlace& place : keyboardLayout()) {
        const QRect where = keyRect(place);
        bottom = std::max(bottom, where.bottom());
        Panel* panel = place.usage != 0
                           ? addPanel(group, {PickerControl::Key, uint16_t(place.usage)},
                                      QString::fromLatin1(keyboardKeyCaption(place.usage)), where)
                           : addPanel(group, {PickerControl::Modifier, uint16_t(place.modifier)},
                                      QString::fromLatin1(kModifierCaptions[place.modifier]), where);
        arrowStops_.push_back({panel, kKeyboardRow + place.row, kKeyboardRow + place.row + place.rows - 1});
        // Long captions on narrow keys (Home, the keypad's Enter) get a
        // smaller font rather than being cut off.
        QFont fitted = keyFont;
        while (fitted.pointSizeF() > 5.0 && QFontMetrics(fitted).horizontalAdvance(panel->text()) > where.width() - 4) {
            fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
        }
        panel->setFont(fitted);
    }

    auto* codes = new QGroupBox(group);
    codes->setObjectName(QStringLiteral("GroupBoxKeyCodes"));
    codes->setGeometry(kKeyboardLeft, bottom + 8, 260, 50);
    int left = 8;
    auto entry = [&](const char* label, const char* name) {
        auto* caption = new QLabel(QString::fromLatin1(label), codes);
        caption->setObjectName(QStringLiteral("Label%1x").arg(QLatin1String(name)));
        caption->setGeometry(left, 20, 36, 20);
        auto* edit = new QLineEdit(codes);
        caption->setBuddy(edit);   // the field is read out by its caption
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(left + 38, 20, 76, 20);
        left += 124;
        return edit;
    };
    editKey1_ = entry("KEY1", "EditKEY1");
    editKey2_ = entry("KEY2", "EditKEY2");
    connect(editKey1_, &QLineEdit::returnPressed, this, [this] { onCodeEntered(PickerEntry::Key1); });
    connect(editKey2_, &QLineEdit::returnPressed, this, [this] { onCodeEntered(PickerEntry::Key2); });
}

void ReactionPicker::focusKeys() {
    // Wherever the focus goes, it is shown: the picker is used from the
    // keyboard from here on, and the style marks a focused key only after
    // the keyboard has moved the focus in its window.
    setAttribute(Qt::WA_KeyboardFocusChange);
    if (focusWidget() != nullptr && focusWidget()->hasFocus()) return;
    // A multimedia reaction: its button.
    for (QToolButton* button : consumerButtons_) {
        if (button->isChecked()) {
            button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const auto selected = std::find_if(keyPanels_.begin(), keyPanels_.end(),
                                       [](const KeyPanel& key) { return key.panel->property("selected").toBool(); });
    Panel* first = selected != keyPanels_.end() ? selected->panel : keyPanels_.front().panel;
    first->setFocus(Qt::OtherFocusReason);
}

void ReactionPicker::setEditingEnabled(bool enabled) {
    for (QWidget* group : editingGroups_) group->setEnabled(enabled);
}

// ---- opening and highlighting ----

void ReactionPicker::open(Reaction& target, ReactionOwner* owner, std::string title) {
    show();
    target_ = &target;
    owner_ = owner;
    setTitle(std::move(title));
    if (isInfraredReaction(target)) {
        // Highlights left from the previous target would claim this reaction
        // is a key; the infrared text is shown by its own display.
        clearHighlights();
        return;
    }
    highlight();
    if (owner_ != nullptr) owner_->reactionShown();
}

void ReactionPicker::reopen() {
    if (target_ == nullptr) return;
    open(*target_, owner_, title_);
}

void ReactionPicker::detach() {
    target_ = nullptr;
    owner_ = nullptr;
}

void ReactionPicker::setSelected(Panel* panel, bool selected) {
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, selected ? kSelectedColour : palette().color(QPalette::Button));
    colours.setColor(QPalette::WindowText, selected ? textOnStrongColour(palette(), QPalette::Window) : buttonFaceText(palette()));
    panel->setPalette(colours);
    setToggleChecked(*panel, selected);
}

void ReactionPicker::clearHighlights() {
    for (QToolButton* button : consumerButtons_) button->setChecked(false);
    for (const KeyPanel& key : keyPanels_) setSelected(key.panel, false);
    editMMKey_->setText(QStringLiteral("x0000"));
    editKey1_->setText(QStringLiteral("x00"));
    editKey2_->setText(QStringLiteral("x00"));
}

void ReactionPicker::highlight() {
    clearHighlights();
    const PickerHighlight shown = pickerHighlight(*target_);
    for (const KeyPanel& key : keyPanels_) {
        if (std::find(shown.selected.begin(), shown.selected.end(), key.control) != shown.selected.end()) {
            setSelected(key.panel, true);
        }
    }
    if (shown.consumerUsage) {
        for (std::size_t i = 0; i < consumerUsages_.size(); ++i) {
            consumerButtons_[i]->setChecked(consumerUsages_[i] == *shown.consumerUsage);
        }
    }
    editKey1_->setText(QString::fromStdString(shown.key1));
    editKey2_->setText(QString::fromStdString(shown.key2));
    editMMKey_->setText(QString::fromStdString(shown.consumer));
}

// ---- clicks and typed codes ----

bool ReactionPicker::eventFilter(QObject* watched, QEvent* event) {
    const auto key = std::find_if(keyPanels_.begin(), keyPanels_.end(),
                                  [watched](const KeyPanel& candidate) { return candidate.panel == watched; });
    const auto consumer = std::find(consumerButtons_.begin(), consumerButtons_.end(), watched);
    if (event->type() == QEvent::KeyPress && (key != keyPanels_.end() || consumer != consumerButtons_.end())) {
        const auto* press = static_cast<QKeyEvent*>(event);
        if (isActivationKey(*press)) {
            if (key != keyPanels_.end()) onPickerKey(key->control);
            else (*consumer)->click();
            return true;
        }
        // The arrows move among every key of the window, multimedia buttons included.
        const std::pair<int, QPoint> arrows[] = {
            {Qt::Key_Left, {-1, 0}}, {Qt::Key_Right, {1, 0}}, {Qt::Key_Up, {0, -1}}, {Qt::Key_Down, {0, 1}}};
        for (const auto& [code, step] : arrows) {
            if (press->key() != code || press->modifiers() != Qt::NoModifier) continue;
            // The focus the keyboard moves is shown, as after a Tab.
            setAttribute(Qt::WA_KeyboardFocusChange);
            moveKeyFocus(static_cast<QWidget*>(watched), step);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (key != keyPanels_.end() && mouse->button() == Qt::LeftButton &&
            key->panel->rect().contains(mouse->position().toPoint())) {
            onPickerKey(key->control);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ReactionPicker::moveKeyFocus(QWidget* from, QPoint step) {
    const auto here = std::find_if(arrowStops_.begin(), arrowStops_.end(),
                                   [from](const ArrowStop& stop) { return stop.widget == from; });
    if (here == arrowStops_.end()) return;
    // Left and right stay in the row; up and down go to the next row that
    // has a key, as a keyboard is read, whatever lies nearer on the screen
    // (the space bar is not below the multimedia buttons).
    auto span = [this](const QWidget* widget) {
        const QPoint left = widget->mapTo(this, QPoint(0, 0));
        return std::pair{left.x(), left.x() + widget->width()};
    };
    const auto [fromLeft, fromRight] = span(from);
    const int centre = (fromLeft + fromRight) / 2;
    auto inRow = [](const ArrowStop& stop, int row) { return stop.top <= row && row <= stop.bottom; };
    const ArrowStop* best = nullptr;
    long long bestCost = 0;
    auto consider = [&](const ArrowStop& stop, long long cost) {
        if (best == nullptr || cost < bestCost) {
            best = &stop;
            bestCost = cost;
        }
    };
    if (step.y() == 0) {
        for (const ArrowStop& stop : arrowStops_) {
            if (stop.widget == from || !inRow(stop, here->top) || !stop.widget->isEnabledTo(this)) continue;
            const auto [left, right] = span(stop.widget);
            const int along = ((left + right) / 2 - centre) * step.x();
            if (along > 0) consider(stop, along);
        }
    } else {
        const int lastRow = std::max_element(arrowStops_.begin(), arrowStops_.end(), [](const auto& a, const auto& b) {
                                return a.bottom < b.bottom;
                            })->bottom;
        for (int row = step.y() < 0 ? here->top - 1 : here->bottom + 1; best == nullptr && row >= 0 && row <= lastRow;
             row += step.y()) {
            for (const ArrowStop& stop : arrowStops_) {
                if (!inRow(stop, row) || !stop.widget->isEnabledTo(this)) continue;
                // The key straight that way; else the one nearest beside it.
                const auto [left, right] = span(stop.widget);
                const int gap = centre < left ? left - centre : centre >= right ? centre - right + 1 : 0;
                consider(stop, gap * 10000LL + std::abs((left + right) / 2 - centre));
            }
        }
    }
    if (best != nullptr) best->widget->setFocus(Qt::OtherFocusReason);
}

void ReactionPicker::onPickerKey(PickerControl control) {
    if (target_ == nullptr) {
        // A consumer button toggles itself; without a reaction nothing is chosen.
        for (QToolButton* button : consumerButtons_) button->setChecked(false);
        return;
    }
    const bool changed = !changeRefused() && applyPickerClick(*target_, control);
    if (changed) reopen();
    else highlight();   // undo a button's own toggle
}

bool ReactionPicker::changeRefused() { return owner_ != nullptr && !owner_->mayChangeReaction(); }

void ReactionPicker::onCodeEntered(PickerEntry entry) {
    if (target_ == nullptr) return;
    if (changeRefused()) {
        highlight();   // the typed code goes back to what the reaction holds
        return;
    }
    QLineEdit* edit = entry == PickerEntry::Key1 ? editKey1_ : entry == PickerEntry::Key2 ? editKey2_ : editMMKey_;
    applyPickerEntry(*target_, entry, parseTypedCode(edit->text().toStdString(), pickerEntryMax(entry)));
    reopen();
}

// ---- title ----

void ReactionPicker::setTitle(std::string title) {
    title_ = std::move(title);
    retranslateTitle();
}

void ReactionPicker::retranslateTitle() {
    if (!title_.empty()) setWindowTitle(QString::fromStdString(localized(title_)));
}

namespace {

QString memoText(const Reaction& reaction) {
    return QStringLiteral("  \n") + QString::fromStdString(reactionDescriptionLine(reaction));
}

} // namespace

void showReactionText(const Reaction& reaction, QPlainTextEdit& memo) {
    if (!isInfraredReaction(reaction)) memo.setPlainText(memoText(reaction));
}

void showReactionText(const Reaction& reaction, QLabel& memo) {
    if (!isInfraredReaction(reaction)) memo.setText(memoText(reaction));
}

} // namespace zmt::ui
