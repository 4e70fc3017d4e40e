#include "cli/commands.h"

#include "config/config_file.h"
#include "device/protocol.h"
#include "lang/lang.h"

#include <cstdio>
#include <cstdlib>

namespace zmt::cli {

int usageError(const std::string& message) {
    std::fprintf(stderr, "zmtctl: %s\n%s\n", message.c_str(),
                 LangText("Подробности: zmtctl --help\0See: zmtctl --help\0"));
    return exitUsage;
}

int deviceError(ResultCode code) {
    std::fprintf(stderr, "%s\n", resultText(code).c_str());
    return exitDevice;
}

namespace {

// A whole decimal number from 1 to limit, nothing else.
bool parseCount(const std::string& text, unsigned long limit, unsigned long& value) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return value >= 1 && value <= limit;
}

int unexpectedArgument(const std::string& argument) {
    return usageError(formatText(LangText("лишний аргумент '%s'\0unexpected argument '%s'\0"), argument.c_str()));
}

// Commands that take exactly one file name.
int expectOneFile(const Arguments& arguments) {
    if (arguments.empty()) return usageError(LangText("не указан файл\0the file name is missing\0"));
    if (arguments.size() > 1) return unexpectedArgument(arguments[1]);
    return exitOk;
}

int fileError(const FileResult& result) {
    std::fprintf(stderr, "%s\n", result.text().c_str());
    return exitFile;
}

int declined() {
    std::fprintf(stderr, "%s\n", LangText("Ничего не изменено.\0Nothing was changed.\0"));
    return exitDeclined;
}

int runInfo(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    IdentityBlock identity;
    const ResultCode code = session.readIdentity(identity);
    if (code != errNone) return deviceError(code);
    Host& host = session.host();
    session.watch().printIdentity(identity);
    host.memoLine(formatText(LangText("Код устройства    %u\0Device code         %u\0"), identity.deviceCode));
    host.memoLine(formatText(LangText("Тип устройства    %u\0Device type         %u\0"), identity.deviceType));
    return exitOk;
}

int runMonitor(Session& session, const Arguments& arguments) {
    unsigned long count = 0;   // 0: until stopped
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        if (argument == "--count") {
            if (i + 1 == arguments.size())
                return usageError(LangText("--count требует число\0--count needs a number\0"));
            value = arguments[++i];
        } else if (argument.rfind("--count=", 0) == 0) {
            value = argument.substr(8);
        } else {
            return usageError(formatText(LangText("лишний аргумент '%s'\0unexpected argument '%s'\0"),
                                         argument.c_str()));
        }
        if (!parseCount(value, 1000000000UL, count))
            return usageError(formatText(LangText("--count: '%s' не число от 1 до 1000000000\0"
                                                  "--count: '%s' is not a number from 1 to 1000000000\0"),
                                         value.c_str()));
    }

    ResultCode code = session.link().probeController();
    if (code != errNone) return deviceError(code);

    TerminalHost& host = session.host();
    TerminalHost::installInterruptHandler();
    const std::size_t linesBefore = host.memoLines();
    // The window polls the device log every 10 ms; so do we. A read that
    // fails ends the monitor as it switches the window's device log off.
    while (!TerminalHost::interrupted) {
        code = session.watch().readDeviceLogRecord();
        if (code != errNone) return deviceError(code);
        if (count != 0 && host.memoLines() - linesBefore >= count) break;
        if (host.outputClosed()) break;
        delayMs(host, kDeviceLogIntervalMs);
    }
    return exitOk;
}

// Controller to file; an existing file keeps its other sections and keys.
int runRead(Session& session, const Arguments& arguments) {
    if (const int status = expectOneFile(arguments); status != exitOk) return status;
    const std::string& file = arguments.front();
    ResultCode code = session.link().probeController();
    if (code == errNone) code = session.transfer().readConfiguration();
    if (code != errNone) return deviceError(code);
    const FileResult saved = saveConfigFile(session.record().image, file);
    if (!saved.ok()) return fileError(saved);
    session.host().memoLine(formatText(LangText("Конфигурация контроллера записана в %s\0"
                                                "The controller's configuration was saved to %s\0"),
                                       file.c_str()));
    return exitOk;
}

// File to controller, as the toolbar's write: the whole image, then a restart.
int runWrite(Session& session, const Arguments& arguments) {
    if (const int status = expectOneFile(arguments); status != exitOk) return status;
    const std::string& file = arguments.front();
    const FileResult loaded = loadConfigFile(session.record().image, file);
    if (!loaded.ok()) return fileError(loaded);
    // Damaged values are read leniently, as the window does; say which.
    if (!loaded.damaged.empty()) std::fprintf(stderr, "%s\n", loaded.text().c_str());
    ConfigTransfer& transfer = session.transfer();
    ResultCode code = session.link().probeController();
    if (code != errNone) return deviceError(code);
    if (!transfer.confirmWriteConfiguration()) return declined();
    code = transfer.writeConfiguration();
    if (code != errNone) return deviceError(code);
    session.host().memoLine(formatText(LangText("Конфигурация из %s записана в контроллер\0"
                                                "The configuration from %s was written to the controller\0"),
                                       file.c_str()));
    return exitOk;
}

int runDefaults(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    ConfigTransfer& transfer = session.transfer();
    ResultCode code = session.link().probeController();
    if (code != errNone) return deviceError(code);
    if (!transfer.confirmResetToDefaults()) return declined();
    code = transfer.restoreDefaults();
    if (code != errNone) return deviceError(code);
    session.host().memoLine(LangText("Конфигурация контроллера сброшена в состояние по умолчанию\0"
                                     "The controller's configuration was reset to its defaults\0"));
    return exitOk;
}

int runReset(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    ResultCode code = session.link().probeController();
    if (code == errNone) code = session.transfer().restartDevice();
    if (code != errNone) return deviceError(code);
    session.host().memoLine(LangText("Контроллер перезапущен\0The controller was restarted\0"));
    return exitOk;
}

} // namespace

const std::vector<CommandSpec>& commandTable() {
    static const std::vector<CommandSpec> table = {
        {"info", "",
         "Печатает идентификацию контроллера: имя, серийный номер, версии загрузчика\n"
         "и приложения, код и тип устройства.\0"
         "Prints the controller's identity: name, serial number, boot loader and\n"
         "application versions, device code and device type.\0",
         runInfo},
        {"monitor", "[--count N]",
         "Печатает записи журнала контроллера, по строке \"t:ТИП l:ДЛИНА [ БАЙТЫ ]\",\n"
         "опрашивая его каждые 10 мс. Останавливается после N записей (--count N),\n"
         "по Ctrl+C или когда вывод закрыт (код 0), или при ошибке чтения (код 2).\n"
         "Прочитанные записи из очереди симулятора удаляются и в этих случаях.\0"
         "Prints the controller's own log records, one \"t:TYPE l:LENGTH [ BYTES ]\"\n"
         "line each, polling every 10 ms. Stops after N records (--count N), on\n"
         "Ctrl+C or when its output is closed (status 0), or when a read fails\n"
         "(status 2). Records read leave the simulator's queue in every case.\0",
         runMonitor},
        {"read", "FILE.ZMT",
         "Читает конфигурацию контроллера в файл конфигурации. В существующем\n"
         "файле заменяются только значения конфигурации, остальное остаётся.\0"
         "Reads the controller's configuration into a configuration file. In an\n"
         "existing file only the configuration values are replaced; the rest stays.\0",
         runRead},
        {"write", "FILE.ZMT",
         "Записывает конфигурацию из файла в контроллер целиком и перезапускает\n"
         "его. Спрашивает подтверждение (см. --yes). Повреждённые значения файла\n"
         "читаются как нули и перечисляются в stderr.\0"
         "Writes the configuration of the file to the controller as a whole and\n"
         "restarts it. Asks first (see --yes). Damaged values of the file read as\n"
         "zeros and are listed on stderr.\0",
         runWrite},
        {"defaults", "",
         "Сбрасывает конфигурацию контроллера в заводское состояние. Спрашивает\n"
         "подтверждение (см. --yes).\0"
         "Resets the controller's configuration to its factory defaults. Asks\n"
         "first (see --yes).\0",
         runDefaults},
        {"reset", "",
         "Перезапускает контроллер.\0"
         "Restarts the controller.\0",
         runReset},
    };
    return table;
}

const CommandSpec* findCommand(const std::string& name) {
    for (const CommandSpec& command : commandTable())
        if (name == command.name) return &command;
    return nullptr;
}

} // namespace zmt::cli
