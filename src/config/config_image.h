#pragma once
// The configuration image: a byte-exact mirror of the controller's 979-byte
// configuration memory. The bytes of ConfigImage go to the controller as they
// are, so every record is packed and every offset is checked at compile time.
// Multi-byte fields are little-endian, which is also the byte order of every
// machine we build for (checked below), so they are plain integers here.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zmt {

static_assert(std::endian::native == std::endian::little,
              "the image's 16-bit fields are stored in host order");

inline constexpr int kChannels = 4;          // resistive button channels
inline constexpr int kSlotsPerChannel = 15;  // learned buttons per channel
inline constexpr int kEvents = 60;
inline constexpr int kKeyNameLength = 5;
inline constexpr int kEncoderColumn = 4;     // grid column of the encoder directions
inline constexpr int kEncoderDirections = 4; // Enc1+, Enc1-, Enc2+, Enc2-
inline constexpr uint16_t kDefaultLongPressTimeout = 1500;
inline constexpr int kMinDivisor = 1;   // an encoder's divisor as shown; stored minus one
inline constexpr int kMaxDivisor = 10;
inline constexpr uint8_t kNoThreshold = 255; // channel without a learned button

// Packed: a 16-bit field may sit at an odd address, so never bind a
// reference to one (const uint16_t&, EXPECT_EQ); copy it first: uint16_t{f}.
#pragma pack(push, 1)

// A code as the infrared receiver reports it; all four bytes 0 = nothing received.
struct IrCode {
    uint8_t command;
    uint16_t address;
    uint8_t protocol;

    bool empty() const { return command == 0 && address == 0 && protocol == 0; }
};

// What an event (or the virtual HOME key) sends. The high nibble of kind tells
// HID (0) from infrared (1); for HID the low nibble is the usage page.
//   kind 0x01 system control: arg2 = bit mask of system usages
//   kind 0x07 keyboard:       arg1 = modifier mask, arg2/arg3 = key usages
//   kind 0x0C consumer:       arg2..arg3 = 16-bit consumer usage
//   kind 0x1p infrared:       arg1 = command, arg2..arg3 = 16-bit address, p = protocol
struct Reaction {
    uint8_t kind;
    uint8_t arg1;
    uint8_t arg2;
    uint8_t arg3;

    uint16_t word() const { return static_cast<uint16_t>(arg2 | (arg3 << 8)); }
    void setWord(uint16_t value) {
        arg2 = static_cast<uint8_t>(value);
        arg3 = static_cast<uint8_t>(value >> 8);
    }
};

// One learned steering-wheel button.
struct KeyRecord {
    uint8_t level;      // channel level the button reads at; 0 = empty slot
    uint8_t tolerance;  // half the distance to the nearest neighbouring level
    char name[kKeyNameLength]; // NUL-padded; a 5-character name has no terminator

    // The name as text (at most 5 characters); empty when the first byte is 0.
    std::string nameText() const;
    // Stores the first 5 characters of text, NUL-padded.
    void setName(const std::string& text);
};

// One of the 60 events. The first four bytes are a button trigger, or an
// infrared code when the trigger bits of flags are not both 0.
struct EventRecord {
    uint8_t keyRow;  // grid row 1..15 (encoder direction 1..4 in column 4); 0 = none
    uint8_t keyCol;  // channel 0..3, or 4 for the encoders
    uint8_t modRow;  // grid row of a held modifier button; 0 = none
    uint8_t modCol;
    uint8_t flags;   // EV_* bits and the EventType
    Reaction reaction;

    int eventType() const;
    void setEventType(int type);
    void setFlag(uint8_t bit, bool on);   // an EV_* bit
    bool irTrigger() const;
    IrCode irCode() const;          // the trigger bytes read as an infrared code
    void setIrCode(const IrCode& code);
};

struct ConfigImage {
    uint8_t keysLearned;
    uint8_t channelThreshold[kChannels];
    KeyRecord keys[kChannels][kSlotsPerChannel];
    EventRecord events[kEvents];
    uint16_t longPressTimeout;
    uint8_t touchMode;
    uint8_t touchFlags;   // TouchFlags
    uint8_t touchWakeUp;
    Reaction homeReaction;
    uint8_t headType;
    uint8_t enc0Mode;
    uint8_t enc0Div;      // divisor minus one
    uint8_t enc1Mode;
    uint8_t enc1Div;

    // The raw bytes, in controller memory order.
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(this); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(this); }

    // The button record of channel 0..3, grid row 1..15; nullptr when out of range.
    KeyRecord* keyAt(int channel, int row);
    const KeyRecord* keyAt(int channel, int row) const;
    // Event 0..59; nullptr when out of range.
    EventRecord* eventAt(int index);
    const EventRecord* eventAt(int index) const;
};

#pragma pack(pop)

inline constexpr std::size_t kConfigImageSize = 979;
inline constexpr std::size_t kTouchMemorySize = 10;   // the touch panel's own memory

static_assert(sizeof(IrCode) == 4);
static_assert(offsetof(IrCode, command) == 0 && offsetof(IrCode, address) == 1 &&
              offsetof(IrCode, protocol) == 3);
static_assert(sizeof(Reaction) == 4);
static_assert(sizeof(KeyRecord) == 7);
static_assert(offsetof(KeyRecord, level) == 0 && offsetof(KeyRecord, tolerance) == 1 &&
              offsetof(KeyRecord, name) == 2);
static_assert(sizeof(EventRecord) == 9);
static_assert(offsetof(EventRecord, keyRow) == 0 && offsetof(EventRecord, keyCol) == 1 &&
              offsetof(EventRecord, modRow) == 2 && offsetof(EventRecord, modCol) == 3 &&
              offsetof(EventRecord, flags) == 4 && offsetof(EventRecord, reaction) == 5);
static_assert(sizeof(ConfigImage) == kConfigImageSize);
static_assert(offsetof(ConfigImage, keysLearned) == 0);
static_assert(offsetof(ConfigImage, channelThreshold) == 1);
static_assert(offsetof(ConfigImage, keys) == 5);
static_assert(offsetof(ConfigImage, keys[1][0]) == 5 + 105);
static_assert(offsetof(ConfigImage, keys[3][14]) == 5 + 3 * 105 + 14 * 7);
static_assert(offsetof(ConfigImage, events) == 425);
static_assert(offsetof(ConfigImage, events[59]) == 425 + 59 * 9);
static_assert(offsetof(ConfigImage, longPressTimeout) == 965);
static_assert(offsetof(ConfigImage, touchMode) == 967);
static_assert(offsetof(ConfigImage, touchFlags) == 968);
static_assert(offsetof(ConfigImage, touchWakeUp) == 969);
static_assert(offsetof(ConfigImage, homeReaction) == 970);
static_assert(offsetof(ConfigImage, headType) == 974);
static_assert(offsetof(ConfigImage, enc0Mode) == 975);
static_assert(offsetof(ConfigImage, enc0Div) == 976);
static_assert(offsetof(ConfigImage, enc1Mode) == 977);
static_assert(offsetof(ConfigImage, enc1Div) == 978);

// Bits of EventRecord::flags (plain constants, so they combine with EventType).
inline constexpr uint8_t EV_TYPE_MASK = 0x0F;
inline constexpr uint8_t EV_ONCE = 0x10;
inline constexpr uint8_t EV_WAKEUP = 0x20;
inline constexpr uint8_t EV_IR_TRIGGER = 0x40;   // what the editor sets for an infrared trigger
inline constexpr uint8_t EV_TRIGGER_MASK = 0xC0; // either bit set means an infrared trigger

enum EventType : int { EventDisabled = 0, EventShortPress = 1, EventLongPress = 2, EventAnyPress = 3 };

// Bits of ConfigImage::touchFlags.
enum TouchFlags : uint8_t { TOUCH_WINDOWS = 0x01, TOUCH_5LINES = 0x02 };

// Reaction kinds.
enum ReactionKind : uint8_t {
    ReactionNone = 0x00,
    ReactionSystem = 0x01,
    ReactionKeyboard = 0x07,
    ReactionConsumer = 0x0C,
    ReactionInfrared = 0x10,   // plus the protocol number
};

// Item texts of the editor's drop-down lists, as English texts marked N_; the index
// is the stored value.
inline constexpr int kEventTypeCount = 4;
inline constexpr int kTouchModeCount = 4;
inline constexpr int kHeadTypeCount = 6;
inline constexpr int kEncoderModeCount = 5;
extern const char* const kEventTypeItems[kEventTypeCount];
extern const char* const kTouchModeItems[kTouchModeCount];
extern const char* const kHeadTypeItems[kHeadTypeCount];
extern const char* const kEncoderModeItems[kEncoderModeCount];
// Name of an infrared protocol number ("NEC", "JVC", ...), or nullptr for the
// numbers that have none (0, 4, 8 and above).
const char* irProtocolName(int protocol);

// The program's one configuration record: the image being edited, the
// controller's copy and the touch panel's memory. Whoever runs
// the session owns one instance and hands it by reference to the parts that
// read or edit it.
struct ConfigRecord {
    ConfigImage image{};       // what the user sees and edits
    ConfigImage deviceCopy{};  // what the controller holds, as far as we know
    uint8_t touchState[kTouchMemorySize]{};  // touch panel memory, kept but not interpreted

    // Back to the start-up state: everything zero.
    void clear();
};

// After a full read: a controller that was never configured has a long-press
// time-out of 0; give it the default and mark every channel as unlearned.
void blankDeviceFixUp(ConfigImage& image);

// Grid row (1..15) of the first slot of the channel whose level lies within 7
// of level, or 0 when there is none (and always for level 0 or a bad channel).
int findKeySlot(const ConfigImage& image, int channel, uint8_t level);
// Grid row (1..15) of the first empty slot of the channel, or 0 when it is full.
int findFreeSlot(const ConfigImage& image, int channel);
// Midpoint between the idle level and the lowest learned level of the
// channel; 255 when the channel has no learned button.
uint8_t channelThreshold(const ConfigImage& image, int channel, uint8_t idleLevel);
// Stores in every learned slot of the channel half the distance to the idle
// level or to the nearest other learned level, whichever is smaller.
void computeTolerances(ConfigImage& image, int channel, uint8_t idleLevel);

} // namespace zmt
