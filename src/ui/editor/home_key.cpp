// The virtual HOME key's reaction: its caption and panel, built into the
// parameters panel's touch group below the touch settings, the type fitted to
// the longest descriptions, and the picker opened on it.
#include "ui/editor/event_editor.h"

#include "config/reaction_text.h"
#include "lang/lang.h"
#include "ui/widgets/editor_host.h"
#include "ui/editor/event_controls.h"
#include "ui/editor/parameters_panel.h"
#include "ui/picker/reaction_picker.h"

#include <QFontMetrics>
#include <QGroupBox>

namespace zmt::ui {

using namespace event_controls;

namespace {

constexpr const char* kHomeCaption =
    N_("Keyboard (reaction to the virtual button HOME)");
constexpr const char* kHomeAgainCaption = N_("Keyboard (HOME key)");
constexpr const char* kHomeHint =
    N_("Click to edit the virtual key HOME");

} // namespace

void EventEditor::buildHomeKey(ParametersPanel& panel) {
    // The HOME key shares the touch group with the touch settings, below them.
    QWidget* touch = &panel.touchGroup();
    // The longest descriptions ("ConsumerPage:MACHINE BROWSER", a key with
    // three modifiers and two keys) need the group's whole width and two
    // lines, so the caption stands above the panel.
    Panel* caption = captionPanel(touch, "PanelHOMEText", QRect(8, 98, 234, 15));
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    homePanel_ = named<Panel>(touch, "PanelHOMEx");
    homePanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    homePanel_->setGeometry(8, 113, 234, 33);
    homePanel_->setCursor(Qt::PointingHandCursor);
    homePanel_->installEventFilter(this);
    homePanel_->setFocusPolicy(Qt::TabFocus);
    homeMemo_ = reactionMemo(homePanel_, "MemoHOMEx");
    homeMemoPoints_ = homeMemo_->font().pointSizeF();
    fitHomeMemo();
}

void EventEditor::fitHomeMemo() {
    // Two lines hold every description but a key with most of the eight
    // modifiers and two keys; such a one is set in a smaller type rather
    // than cut.
    constexpr double kSmallestPoints = 6.0;
    const QRect inside = homePanel_->contentsRect();
    const int width = inside.width() - 4;
    QString description = homeMemo_->text().section(QLatin1Char('\n'), 1);
    QFont font = homeMemo_->font();
    font.setPointSizeF(homeMemoPoints_);
    while (font.pointSizeF() > kSmallestPoints) {
        const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, width, 1000), Qt::AlignHCenter | Qt::TextWordWrap,
                                                             description);
        if (needed.height() <= inside.height() && needed.width() <= width) break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    homeMemo_->setFont(font);
    // A memo's first line is blank: it centres the text in the event's
    // taller box. Here it lies above the panel's edge, so the panel's
    // height is left for the description, centred in it.
    const int line = QFontMetrics(font).lineSpacing();
    homeMemo_->setGeometry(inside.left() + 2, inside.top() - line, width, inside.height() + line);
}

void EventEditor::describeHomeReaction() {
    // An infrared HOME reaction (from a file or another program) is named
    // like an event's; leaving the memo alone would keep showing the HOME key
    // of whatever image was shown before.
    setMemoLines(homeMemo_, reactionMemoLines(record_.image.homeReaction));
    fitHomeMemo();
}

void EventEditor::onHomeReactionClicked() {
    openPickerFrom(homePanel_, formatInEveryLanguage(kHomeCaption), homeMemo_, record_.image.homeReaction);
}

void EventEditor::homeReactionDeleted() {
    // An open picker shows the emptied reaction; otherwise the memo says so.
    const ReactionPicker* picker = window_.builtPicker();
    if (picker != nullptr && picker->isVisible()) openPicker(formatInEveryLanguage(kHomeAgainCaption), homeMemo_, record_.image.homeReaction);
    else describeHomeReaction();
}

QWidget* EventEditor::homeKey() const { return homePanel_; }

void EventEditor::retranslateHomeKey() { homePanel_->setToolTip(QString::fromUtf8(localized(kHomeHint))); }

} // namespace zmt::ui
