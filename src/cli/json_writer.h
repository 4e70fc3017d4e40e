#pragma once
// A small JSON writer for zmtctl --json: one object, built in order, with
// every comma and escape in place. Strings are taken as UTF-8 and written as
// pure ASCII (\uXXXX for everything else), so a controller name or a file
// name with broken bytes still gives valid JSON; a byte that is not part of
// a well-formed UTF-8 sequence becomes U+FFFD.
//
//   JsonWriter json;
//   json.beginObject();
//   json.key("serialNumber"); json.number(1001);
//   json.key("controller");   json.string("ZEL-MORVA-TOUCH");
//   json.endObject();
//   std::puts(json.text().c_str());
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zmt::cli {

class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The name of the next member of the open object.
    void key(std::string_view name);

    void string(std::string_view utf8);
    void number(std::int64_t value);
    void boolean(bool value);
    void null();

    const std::string& text() const { return text_; }

    // The JSON string literal of UTF-8 text, quotes included.
    static std::string quote(std::string_view utf8);

private:
    // Puts the comma a value needs when it is not the first of its container.
    void beforeValue();

    std::string text_;
    // One entry per open container: true once it holds a member.
    std::vector<bool> filled_;
    bool afterKey_ = false;
};

} // namespace zmt::cli
