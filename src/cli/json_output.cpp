#include "cli/json_output.h"

#include "cli/json_writer.h"
#include "config/config_listing.h"
#include "config/ir_capture.h"
#include "config/reaction_text.h"
#include "lang/lang.h"

namespace zmt::cli {

namespace {

// A reaction as the file stores it (KEYHOME, the last 4 bytes of EVKEYnn):
// kind and its three values in hexadecimal, and the response in words.
void writeReaction(JsonWriter& json, const Reaction& reaction, const std::string& words) {
    json.key("reaction");
    json.string(formatText("%02X%02X%02X%02X", reaction.kind, reaction.arg1, reaction.arg2, reaction.arg3));
    json.key("response");
    json.string(words);
}

void writeChoice(JsonWriter& json, const char* name, const char* textName, const ListedChoice& choice) {
    json.key(name);
    json.number(choice.value);
    json.key(textName);
    json.string(choice.text);
}

// An optional text: null when empty, so a script tests one thing.
void textOrNull(JsonWriter& json, const char* name, const std::string& text) {
    json.key(name);
    if (text.empty()) json.null();
    else json.string(text);
}

} // namespace

namespace {

void writeIdentityMembers(JsonWriter& json, const IdentityBlock& identity) {
    json.key("controller");
    json.string(identity.controllerName);
    json.key("serialNumber");
    json.number(identity.serialNumber);
    json.key("bootVersion");
    json.string(versionText(identity.bootVersion));
    json.key("applicationVersion");
    if (identity.applicationVersion == 0) json.null();
    else json.string(versionText(identity.applicationVersion));
    json.key("deviceCode");
    json.number(identity.deviceCode);
    json.key("deviceType");
    json.number(identity.deviceType);
}

} // namespace

std::string identityJson(const IdentityBlock& identity) {
    JsonWriter json;
    json.beginObject();
    writeIdentityMembers(json, identity);
    json.endObject();
    return json.text();
}

std::string controllerListJson(const std::vector<PresentController>& found) {
    JsonWriter json;
    json.beginArray();
    for (const PresentController& unit : found) {
        json.beginObject();
        if (!unit.busy && unit.read == ResultCode::Ok) {
            writeIdentityMembers(json, unit.identity);
        } else {
            // Nothing was read: only what the holder's lock file tells.
            for (const char* name : {"controller", "serialNumber", "bootVersion", "applicationVersion",
                                     "deviceCode", "deviceType"}) {
                json.key(name);
                if (std::string_view(name) == "serialNumber" && unit.serial()) json.number(*unit.serial());
                else json.null();
            }
        }
        json.key("busy");
        json.boolean(unit.busy);
        json.key("heldBy");
        if (!unit.busy) {
            json.null();
        } else {
            json.beginObject();
            json.key("program");
            json.string(unit.holder.program);
            json.key("processId");
            json.number(unit.holder.processId);
            json.endObject();
        }
        json.endObject();
    }
    json.endArray();
    return json.text();
}

std::string irCodeJson(const IrCode& code) {
    JsonWriter json;
    json.beginObject();
    json.key("received");
    json.boolean(!code.empty());
    for (const auto& [name, value] : {std::pair{"protocol", unsigned{code.protocol}},
                                      std::pair{"address", unsigned{code.address}},
                                      std::pair{"command", unsigned{code.command}}}) {
        json.key(name);
        if (code.empty()) json.null();
        else json.number(value);
    }
    json.key("text");
    json.string(code.empty() ? std::string(localized(kNoIrCodeText)) : irTriggerText(code));
    json.endObject();
    return json.text();
}

std::string configurationJson(const std::string& file, const FileResult& loaded, const ConfigImage& image) {
    const ConfigDescription description = describeConfiguration(image);
    JsonWriter json;
    json.beginObject();
    json.key("file");
    json.string(file);
    json.key("damaged");
    json.beginArray();
    for (const std::string& value : loaded.damaged) json.string(value);
    json.endArray();

    json.key("buttons");
    json.beginArray();
    for (const ListedButton& button : description.buttons) {
        json.beginObject();
        json.key("channel");
        json.number(button.channel);
        json.key("slot");
        json.number(button.slot);
        json.key("name");
        json.string(button.name);
        json.key("code");
        json.number(button.code);
        json.key("limit");
        json.number(button.limit);
        json.endObject();
    }
    json.endArray();

    json.key("events");
    json.beginArray();
    for (const ListedEvent& event : description.events) {
        json.beginObject();
        json.key("number");
        json.number(event.number);
        textOrNull(json, "irCode", event.irCode);
        textOrNull(json, "button", event.button);
        textOrNull(json, "modifier", event.modifier);
        writeChoice(json, "type", "typeText", event.type);
        json.key("oneTimeOnly");
        json.boolean(event.oneTimeOnly);
        json.key("wakeUp");
        json.boolean(event.wakeUp);
        writeReaction(json, event.reaction, event.response);
        json.endObject();
    }
    json.endArray();

    json.key("home");
    json.beginObject();
    writeReaction(json, description.homeReaction, description.home);
    json.endObject();

    json.key("parameters");
    json.beginObject();
    json.key("longTapMs");
    json.number(description.longTapMs);
    json.key("encoders");
    json.beginArray();
    for (const ListedEncoder& encoder : description.encoders) {
        json.beginObject();
        writeChoice(json, "mode", "modeText", encoder.mode);
        json.key("divisor");
        json.number(encoder.divisor);
        json.endObject();
    }
    json.endArray();
    json.key("touchPanel");
    json.beginObject();
    json.key("windows");
    json.boolean(description.touchWindows);
    json.key("fiveLines");
    json.boolean(description.touchFiveLines);
    json.key("wakeUp");
    json.boolean(description.touchWakeUp);
    writeChoice(json, "mode", "modeText", description.touchMode);
    json.endObject();
    writeChoice(json, "headUnit", "headUnitText", description.headUnit);
    json.endObject();

    json.endObject();
    return json.text();
}

} // namespace zmt::cli
