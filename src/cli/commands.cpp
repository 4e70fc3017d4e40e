#include "cli/commands.h"

#include "cli/controller_choice.h"
#include "cli/editor_commands.h"
#include "cli/firmware_commands.h"
#include "cli/history_commands.h"
#include "cli/json_output.h"
#include "cli/levels_command.h"
#include "cli/list_command.h"
#include "cli/setup_commands.h"
#include "config/config_file.h"
#include "config/snapshot_store.h"
#include "device/protocol.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <cstdio>

namespace zmt::cli {

int usageError(const std::string& message) {
    std::fprintf(stderr, "zmtctl: %s\n%s\n", message.c_str(),
                 localized("Подробности: zmtctl --help\0See: zmtctl --help\0"));
    return exitUsage;
}

int deviceError(ResultCode code) {
    std::fprintf(stderr, "%s\n", resultText(code).c_str());
    // A hold that cannot be taken is no fault of the controller's.
    return code == ResultCode::NoHold ? exitBusy : exitDevice;
}

int unexpectedArgument(const std::string& argument) {
    return usageError(formatText(localized("лишний аргумент '%s'\0unexpected argument '%s'\0"), argument.c_str()));
}

int needsValue(const std::string& name) {
    return usageError(formatText(localized("%s требует значение\0%s needs a value\0"), name.c_str()));
}

bool optionValue(const Arguments& arguments, std::size_t& i, const std::string& name, std::string& value,
                 bool& missing) {
    const std::string& argument = arguments[i];
    missing = false;
    if (argument == name) {
        if (i + 1 == arguments.size()) {
            missing = true;
            return true;
        }
        value = arguments[++i];
        return true;
    }
    if (argument.rfind(name + "=", 0) == 0) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    return false;
}

int countOption(const Arguments& arguments, unsigned long& count) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        bool missing = false;
        if (!optionValue(arguments, i, "--count", value, missing)) return unexpectedArgument(arguments[i]);
        if (missing) return usageError(localized("--count требует число\0--count needs a number\0"));
        const auto parsed = parseUnsigned(value, 1000000000UL);
        if (!parsed || *parsed == 0)
            return usageError(formatText(localized("--count: '%s' не число от 1 до 1000000000\0"
                                                  "--count: '%s' is not a number from 1 to 1000000000\0"),
                                         value.c_str()));
        count = static_cast<unsigned long>(*parsed);
    }
    return exitOk;
}

int declined() {
    std::fprintf(stderr, "%s\n", localized("Ничего не изменено.\0Nothing was changed.\0"));
    return exitDeclined;
}

namespace {

// Commands that take exactly one file name.
int expectOneFile(const Arguments& arguments) {
    if (arguments.empty()) return usageError(localized("не указан файл\0the file name is missing\0"));
    if (arguments.size() > 1) return unexpectedArgument(arguments[1]);
    return exitOk;
}

int fileError(const FileResult& result) {
    std::fprintf(stderr, "%s\n", result.text().c_str());
    return exitFile;
}

int runInfo(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    IdentityBlock identity;
    const ResultCode code = session.readIdentity(identity);
    if (code != ResultCode::Ok) return deviceError(code);
    Host& host = session.host();
    if (session.options().json) {
        host.memoLine(identityJson(identity));
        return exitOk;
    }
    session.watch().printIdentity(identity);
    host.memoLine(formatText(localized("Код устройства    %u\0Device code         %u\0"), identity.deviceCode));
    host.memoLine(formatText(localized("Тип устройства    %u\0Device type         %u\0"), identity.deviceType));
    return exitOk;
}

int runMonitor(Session& session, const Arguments& arguments) {
    unsigned long count = 0;   // 0: until stopped
    if (const int status = countOption(arguments, count); status != exitOk) return status;

    ResultCode code = session.link().probeController();
    if (code != ResultCode::Ok) return deviceError(code);

    TerminalHost& host = session.host();
    TerminalHost::installInterruptHandler();
    const std::size_t linesBefore = host.memoLines();
    // The window polls the device log every 10 ms; so do we. A read that
    // fails ends the monitor as it switches the window's device log off.
    while (!TerminalHost::interrupted) {
        code = session.watch().readDeviceLogRecord();
        if (code != ResultCode::Ok) return deviceError(code);
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
    if (code == ResultCode::Ok) code = session.watch().readIdentity();
    if (code == ResultCode::Ok) code = session.transfer().readConfiguration();
    if (code != ResultCode::Ok) return deviceError(code);
    // Read anyway, so kept as the window keeps its first read; a snapshot
    // that fails here stops nothing (nothing is changed), it is only said.
    storeSnapshot(session.watch().identity().serialNumber, session.record().image, SnapshotCause::FirstRead);
    const FileResult saved = saveConfigFile(session.record().image, file);
    if (!saved.ok()) return fileError(saved);
    session.host().memoLine(formatText(localized("Конфигурация контроллера записана в %s\0"
                                                "The controller's configuration was saved to %s\0"),
                                       file.c_str()));
    return exitOk;
}

// File to controller, as the toolbar's write: the whole image, then a restart.
// What the controller held is kept as a snapshot first; a snapshot given as
// the file goes back byte for byte.
int runWrite(Session& session, const Arguments& arguments) {
    if (const int status = expectOneFile(arguments); status != exitOk) return status;
    const std::string& file = arguments.front();
    ConfigImage fromFile = session.record().image;
    bool snapshot = false;
    const FileResult loaded = loadSnapshot(fromFile, file, &snapshot);
    if (!loaded.ok()) return fileError(loaded);
    // Damaged values are read leniently, as the window does; say which.
    if (!loaded.damaged.empty()) std::fprintf(stderr, "%s\n", loaded.text().c_str());
    // A file lacking keys every saved one has was most likely cut short:
    // what those keys held would be wiped with defaults, so it goes only
    // once that was said and answered.
    if (!loaded.missing.empty() &&
        session.host().messageBox({MessageKind::Warning, DefaultAnswer::No},
                                  loaded.missingText() + "\n" +
                                      localized("Всё равно записать его в контроллер?\0"
                                               "Write it to the controller anyway?\0")) != Answer::Yes)
        return declined();
    ConfigTransfer& transfer = session.transfer();
    ResultCode code = session.link().probeController();
    if (code != ResultCode::Ok) return deviceError(code);
    if (!transfer.confirmWriteConfiguration()) return declined();
    if (const int status = keepSnapshot(session, snapshot ? SnapshotCause::Restored : SnapshotCause::FileSent);
        status != exitOk)
        return status;
    session.record().image = fromFile;
    code = transfer.writeConfiguration();
    if (code != ResultCode::Ok) {
        const int status = deviceError(code);
        if (const std::string partial = transfer.partialWriteText(); !partial.empty())
            std::fprintf(stderr, "%s\n", partial.c_str());
        return status;
    }
    session.host().memoLine(formatText(localized("Конфигурация из %s записана в контроллер\0"
                                                "The configuration from %s was written to the controller\0"),
                                       file.c_str()));
    return exitOk;
}

int runDefaults(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    ConfigTransfer& transfer = session.transfer();
    ResultCode code = session.link().probeController();
    if (code != ResultCode::Ok) return deviceError(code);
    if (!transfer.confirmResetToDefaults()) return declined();
    if (const int status = keepSnapshot(session, SnapshotCause::Defaults); status != exitOk) return status;
    code = transfer.restoreDefaults();
    if (code != ResultCode::Ok) return deviceError(code);
    session.host().memoLine(localized("Конфигурация контроллера сброшена в состояние по умолчанию\0"
                                     "The controller's configuration was reset to its defaults\0"));
    return exitOk;
}

int runReset(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    // The controller reads its configuration anew as it starts.
    if (const int status = keepSnapshot(session, SnapshotCause::Restart); status != exitOk) return status;
    const ResultCode code = session.transfer().restartDevice();
    if (code != ResultCode::Ok) return deviceError(code);
    session.host().memoLine(localized("Контроллер перезапущен\0The controller was restarted\0"));
    return exitOk;
}

} // namespace

const std::vector<CommandRow>& commandTable() {
    static const std::vector<CommandRow> table = {
        {"list", "",
         "Перечисляет подключённые контроллеры, по строке на каждый: серийный номер,\n"
         "имя, версии приложения и загрузчика, или \"занят\" и какая программа его\n"
         "держит. С --json - массив объектов (поля как у info, и busy, heldBy).\0"
         "Lists the controllers connected, one line each: serial number, name,\n"
         "application and boot loader versions, or \"busy\" and which program holds\n"
         "it. With --json an array of objects (the fields of info, and busy, heldBy).\0",
         runList, DeviceUse::None},
        {"info", "",
         "Печатает идентификацию контроллера: имя, серийный номер, версии загрузчика\n"
         "и приложения, код и тип устройства.\0"
         "Prints the controller's identity: name, serial number, boot loader and\n"
         "application versions, device code and device type.\0",
         runInfo, DeviceUse::One},
        {"monitor", "[--count N]",
         "Печатает записи журнала контроллера, по строке \"t:ТИП l:ДЛИНА [ БАЙТЫ ]\",\n"
         "опрашивая его каждые 10 мс. Останавливается после N записей (--count N),\n"
         "по Ctrl+C или когда вывод закрыт (код 0), или при ошибке чтения (код 2).\n"
         "Прочитанные записи из очереди симулятора удаляются и в этих случаях.\0"
         "Prints the controller's own log records, one \"t:TYPE l:LENGTH [ BYTES ]\"\n"
         "line each, polling every 10 ms. Stops after N records (--count N), on\n"
         "Ctrl+C or when its output is closed (status 0), or when a read fails\n"
         "(status 2). Records read leave the simulator's queue in every case.\0",
         runMonitor, DeviceUse::One},
        {"read", "FILE.ZMT",
         "Читает конфигурацию контроллера в файл конфигурации. В существующем\n"
         "файле заменяются только значения конфигурации, остальное остаётся.\0"
         "Reads the controller's configuration into a configuration file. In an\n"
         "existing file only the configuration values are replaced; the rest stays.\0",
         runRead, DeviceUse::One},
        {"write", "FILE.ZMT",
         "Записывает конфигурацию из файла в контроллер целиком и перезапускает\n"
         "его. Спрашивает подтверждение (см. --yes). Повреждённые значения файла\n"
         "читаются как нули и перечисляются в stderr.\0"
         "Writes the configuration of the file to the controller as a whole and\n"
         "restarts it. Asks first (see --yes). Damaged values of the file read as\n"
         "zeros and are listed on stderr.\0",
         runWrite, DeviceUse::OneOrAll},
        {"defaults", "",
         "Сбрасывает конфигурацию контроллера в заводское состояние. Спрашивает\n"
         "подтверждение (см. --yes).\0"
         "Resets the controller's configuration to its factory defaults. Asks\n"
         "first (see --yes).\0",
         runDefaults, DeviceUse::OneOrAll},
        {"reset", "",
         "Перезапускает контроллер.\0"
         "Restarts the controller.\0",
         runReset, DeviceUse::OneOrAll},
        {"ir", "",
         "Печатает последний ИК код, принятый контроллером, как его показывает\n"
         "редактор событий (\"NEC 4 / 17\"), или \"ИК код отсутствует\".\0"
         "Prints the last infrared code the controller received, as the event\n"
         "editor shows it (\"NEC 4 / 17\"), or \"No Infrared code\".\0",
         runIr, DeviceUse::One},
        {"show", "FILE.ZMT",
         "Печатает файл конфигурации словами: кнопки каждого канала (имя, код,\n"
         "допуск), каждое непустое событие (номер, триггер, тип, однократно,\n"
         "пробуждать и реакция, как в окне), кнопку HOME и параметры. Контроллер\n"
         "не нужен. Код 3, если файл не читается.\0"
         "Prints a configuration file in words: the buttons of each channel (name,\n"
         "code, limit), every event that is not empty (number, trigger, type, one\n"
         "time only, wake up and the response as the window describes it), the\n"
         "HOME key and the parameters. No controller is needed. Status 3 when the\n"
         "file cannot be read.\0",
         runShow, DeviceUse::None},
        {"flash", "FILE.LDR",
         "Обновляет прошивку контроллера из файла, с теми же проверками и вопросами,\n"
         "что и программа; без --yes вопрос задаётся в терминале (иначе ответ Нет).\n"
         "Ждёт запуска нового приложения и печатает идентификацию. Коды: 4 вопрос\n"
         "отклонён, 2 ошибка устройства или файл не для него, 3 ошибка файла.\0"
         "Replaces the controller's firmware from the file, with the program's checks\n"
         "and questions; without --yes a question is asked on the terminal (otherwise\n"
         "answered No). Waits for the new application and prints its identity.\n"
         "Status 4 a question refused, 2 a device failure or a file for another\n"
         "device, 3 a file error.\0",
         runFlash, DeviceUse::OneOrAll},
        {"levels", "[--count N]",
         "Печатает уровни четырёх каналов кнопок, строка на чтение, каждые 100 мс,\n"
         "N раз или до Ctrl+C.\0"
         "Prints the levels of the four button channels, one line a read, every\n"
         "100 ms, N times or until Ctrl+C.\0",
         runLevels, DeviceUse::One},
        {"functions", "",
         "Перечисляет функции быстрой настройки: ключ для assign, короткое имя\n"
         "кнопки, что посылается (usage страницы Consumer) и название. С --json -\n"
         "массив объектов (key, name, shortName, kind, usagePage, usage, usageName).\n"
         "Контроллер не нужен.\0"
         "Lists the quick set-up's functions: the key for assign, the button's short\n"
         "name, what it sends (a Consumer page usage) and its name. With --json an\n"
         "array of objects (key, name, shortName, kind, usagePage, usage,\n"
         "usageName). No controller is needed.\0",
         runFunctions, DeviceUse::None},
        {"assign", "BUTTON FUNCTION [--long FUNCTION]",
         "Даёт кнопке функцию (ключ из zmtctl functions; nothing отключает кнопку).\n"
         "КНОПКА - имя обученной кнопки или канал и уровень (2:120; новая кнопка\n"
         "обучается, её имя - короткое имя функции). --long - функция долгого\n"
         "нажатия. Если кнопка уже что-то делает, изменение без --yes отклоняется\n"
         "(код 4); с --yes старое заменяется. Перед изменением берётся снимок.\0"
         "Gives a button a function (a key of zmtctl functions; nothing switches the\n"
         "button off). BUTTON is a learned button's name or a channel and level\n"
         "(2:120: a new button is learned and named by the function's short name).\n"
         "--long gives its long press a function too. When the button already does\n"
         "something the change is refused without --yes (status 4); --yes replaces\n"
         "it. A snapshot is kept first.\0",
         runAssign, DeviceUse::One},
        {"quick-setup", "[--functions LIST]",
         "Быстрая настройка в терминале: для каждой функции нажмите и отпустите\n"
         "кнопку руля (подсказки в stderr). LIST - ключи через запятую, ключ/ключ\n"
         "добавляет долгое нажатие (volume-down/mute). Enter пропускает функцию,\n"
         "f - к итогу, q или Ctrl+C отменяют: в контроллере остаётся то, что было\n"
         "(код 4). Применить спрашивает (см. --yes); конфликты с --yes заменяются,\n"
         "без терминала пропускаются. Перед началом берётся снимок.\0"
         "The quick set-up on a terminal: for each function press and release a\n"
         "steering-wheel button (prompts on stderr). LIST is keys separated by\n"
         "commas; key/key adds a long press (volume-down/mute). Enter skips a\n"
         "function, f goes to the summary, q or Ctrl+C cancel: the controller keeps\n"
         "what it held (status 4). Applying asks first (see --yes); with --yes a\n"
         "button already in use is replaced, without a terminal it is skipped. A\n"
         "snapshot is kept first.\0",
         runQuickSetup, DeviceUse::One},
        {"make-ldr", "PAYLOAD OUT.LDR --version V --code C --type T [--reserved R]",
         "Собирает файл прошивки: заголовок (версия вида 1.18, код и тип устройства),\n"
         "данные PAYLOAD как есть и контрольная сумма CRC-16. Устройство не нужно.\0"
         "Builds a firmware file: the header (version like 1.18, device code and\n"
         "type), the PAYLOAD bytes as they are, and the CRC-16 check value. Needs no\n"
         "controller.\0",
         runMakeLdr, DeviceUse::None},
        {"history", "",
         "Перечисляет снимки конфигурации (новые первыми): время (UTC), серийный\n"
         "номер, причина и путь файла. Снимок берётся перед write, defaults, reset и\n"
         "flash и после read (и в программе); вернуть его: zmtctl write ФАЙЛ. С\n"
         "--serial N - только этого контроллера; с --json - массив объектов.\n"
         "Контроллер не нужен.\0"
         "Lists the configuration snapshots, newest first: time (UTC), serial\n"
         "number, cause and file path. One is kept before write, defaults, reset\n"
         "and flash and after read (and in the program); put one back with zmtctl\n"
         "write FILE. With --serial N only that controller's; with --json an array\n"
         "of objects. No controller is needed.\0",
         runHistory, DeviceUse::None},
        {"diff", "A B",
         "Сравнивает две конфигурации: A и B - файлы .ZMT, снимки или controller\n"
         "(конфигурация контроллера). Печатает различия словами, как show: строки\n"
         "A с \"-\", строки B с \"+\". Код 0 - совпадают, 1 - различаются (как\n"
         "diff), 2 ошибка устройства, 3 ошибка файла. С --json - объект (same,\n"
         "differences).\0"
         "Compares two configurations: A and B are .ZMT files, snapshots or\n"
         "controller (what the controller holds). Prints the differences in words,\n"
         "as show does: A's lines marked \"-\", B's \"+\". Status 0 when they are\n"
         "the same, 1 when they differ (as diff does), 2 a device failure, 3 a\n"
         "file error. With --json an object (same, differences).\0",
         runDiff, DeviceUse::None},
    };
    return table;
}

const CommandRow* findCommand(const std::string& name) {
    for (const CommandRow& command : commandTable())
        if (name == command.name) return &command;
    return nullptr;
}

} // namespace zmt::cli
