#include "cli/options.h"

#include "cli/terminal.h"

#include <map>

namespace omniset::cli {

namespace {

struct CommandInfo {
    int minArgs;
    int maxArgs;
    const char* help;
};

const std::map<QString, CommandInfo>& commands() {
    static const std::map<QString, CommandInfo> table{
        {QStringLiteral("info"),
         {0, 0,
          "Usage: omniset-cli [OPTIONS] info [--json]\n\n"
          "Firmware version, ISDN port type, model and record length of the adapter, and\n"
          "where it was found (port, device, line settings).\n\n"
          "  --json   one JSON object: firmware, version (the adapter's version reply),\n"
          "           model, port_type, record_length, port, device, line, error\n"}},
        {QStringLiteral("show"),
         {0, 1,
          "Usage: omniset-cli [OPTIONS] show [PROFILE] [--json]\n\n"
          "Every field of a configuration record with its raw value and its meaning, grouped\n"
          "as the windows group them, and the four quick-dial numbers. PROFILE is current\n"
          "(default) or 0..4.\n\n"
          "  --json   one JSON object: profile, fields, raw, quick_dial, error\n"}},
        {QStringLiteral("backup"),
         {0, 1,
          "Usage: omniset-cli [OPTIONS] backup [FILE | -] [--json]\n\n"
          "Reads the current configuration, profiles 0..4 and the four quick-dial numbers\n"
          "into one JSON file, written atomically; prints its path. Default FILE:\n"
          "$XDG_DATA_HOME/omniset/backups/KX220-<yyyymmdd>T<hhmmss>.json (its folder is\n"
          "created; FILE's folder must exist). Where FILE goes is checked before the adapter\n"
          "is touched (exit status 2). - writes the file to standard output.\n\n"
          "  --json   one JSON object: path, adapter (as in the file), error\n"}},
        {QStringLiteral("restore"),
         {1, 1,
          "Usage: omniset-cli [OPTIONS] restore FILE [--profile P]... [--dry-run] [--json] [--yes]\n\n"
          "Validates the whole file first (format, version, record length, checksums,\n"
          "quick-dial numbers, fields that agree with the hex) and sends nothing but the\n"
          "identification when any of it is wrong (a backup whose fields were edited, or\n"
          "one of the other record length, is applied with apply instead). Then reads the\n"
          "selected records and numbers and writes, as one transaction, only those that\n"
          "differ (\"unchanged\" for the others): each write is read back and compared, and\n"
          "when one fails, everything already written is put back (exit status 4).\n\n"
          "  --profile P   current, 0..4 or quick_dial; repeatable (default: all)\n"
          "  --dry-run     print what would change and write nothing\n"
          "  --json        the result as one JSON object on standard output (as apply)\n"
          "  -y, --yes     write a change into synchronous mode without asking\n"}},
        {QStringLiteral("apply"),
         {1, 1,
          "Usage: omniset-cli [OPTIONS] apply FILE [--check] [--json] [--yes]\n\n"
          "Makes the adapter hold the values FILE names, writing only what differs. FILE (-\n"
          "for standard input) is JSON, every key optional:\n"
          "  {\"format\": \"omniset-config\", \"version\": 1,\n"
          "   \"profiles\": {\"current\": {NAME: VALUE, ...}, \"0\": {...}, ..., \"4\": {...}},\n"
          "   \"quick_dial\": {\"1\": \"5550101\", ..., \"4\": \"...\"}}\n"
          "with the names and values of show --json; a backup file is taken too (its fields,\n"
          "not its hex, so it applies at either record length). The whole file is checked\n"
          "against the records read first, with set's rules; any problem (all are listed)\n"
          "writes nothing (exit status 2). A record or number that would not change is not\n"
          "written; a second run writes nothing. Each write is read back and compared; when\n"
          "one fails, everything already written is put back and verified, newest first\n"
          "(exit status 4), and if that fails too, what each record holds is said and the\n"
          "earlier values are written to a file for apply.\n\n"
          "  --check     print what would change, write nothing; exit status 0 when the\n"
          "              adapter already matches, 1 when it does not\n"
          "  --json      standard output is one JSON object, also on failure: changed, check,\n"
          "              profiles (each: result, changes), quick_dial, error\n"
          "  -y, --yes   write a change into synchronous mode (current, profile 0 or 1)\n"
          "              without asking; without a terminal it is otherwise refused\n"}},
        {QStringLiteral("diff"),
         {1, 2,
          "Usage: omniset-cli [OPTIONS] diff FILE [PROFILE] [--json]\n"
          "       omniset-cli diff FILE FILE [--json]\n\n"
          "The fields that differ, with both values in words, under the record's name: a\n"
          "backup file against the adapter's record PROFILE (current by default, or 0..4),\n"
          "or two backup files (every record and the quick-dial numbers). Prints nothing\n"
          "when they are equal. Exit status 0 when equal, 1 when different.\n\n"
          "  --json   one JSON object: equal, profiles (each: changes NAME: {before, after},\n"
          "           other_bytes), quick_dial (changes; null against the adapter), error\n"}},
        {QStringLiteral("ports"),
         {0, 0,
          "Usage: omniset-cli ports [--json]\n\n"
          "COM1..COM4 with their mapping, and every serial device of the system with its\n"
          "by-id name, description, manufacturer, USB vendor:product, serial number and\n"
          "whether you may open it.\n\n"
          "  --json   one JSON object: com (port, link, target, device, dangling, console),\n"
          "           devices (path, by_id, description, manufacturer, usb, serial,\n"
          "           accessible, group), error\n"}},
        {QStringLiteral("link"),
         {2, 2,
          "Usage: omniset-cli link N DEVICE\n\n"
          "Points COMn (1..4) at DEVICE, a character device (a /dev/serial/by-id path is kept\n"
          "as given, so it survives replugging). Replaces an existing link and says so.\n"}},
        {QStringLiteral("flash"),
         {1, 1,
          "Usage: omniset-cli [OPTIONS] flash FILE [--no-backup] [--yes] [--json]\n\n"
          "Replaces the adapter's firmware with FILE. Checks the file first (it must exist, be\n"
          "readable and not empty) and asks on the terminal (\"Send FILE (N bytes) to the\n"
          "adapter? [y/N]\"); without a terminal it refuses unless --yes is given (exit\n"
          "status 2). Then backs up the configuration as backup does and prints\n"
          "where, talks the boot loader into receiving and sends FILE with 1K-XModem, showing\n"
          "progress on standard error. Afterwards waits for the adapter, identifies it again\n"
          "and prints the version it now runs. Ctrl-C cancels the transfer and says in what\n"
          "state the adapter is left. A failed transfer exits with status 4.\n\n"
          "  --no-backup   do not back up the configuration first\n"
          "  -y, --yes     do not ask\n"
          "  --json        one JSON object: file, backup, bytes, resends, firmware_before,\n"
          "                version_before, firmware_after, version_after,\n"
          "                configuration_kept, error\n"}},
        {QStringLiteral("unlink"),
         {1, 1,
          "Usage: omniset-cli unlink N\n\n"
          "Removes the link of COMn (1..4); exit status 2 when there is none.\n"}},
        {QStringLiteral("clock"),
         {0, 0,
          "Usage: omniset-cli [OPTIONS] clock [--json]\n\n"
          "Sets the adapter's date and time from this computer's, as the General page does,\n"
          "and prints what was set (or the adapter's refusal: exit status 4).\n\n"
          "  --json   one JSON object: date and time as sent, set, error\n"}},
        {QStringLiteral("factory-reset"),
         {0, 0,
          "Usage: omniset-cli [OPTIONS] factory-reset [--yes] [--json]\n\n"
          "Restores the adapter's factory settings, as the General page does, after asking\n"
          "on the terminal. Without a terminal it refuses unless --yes is given.\n\n"
          "  -y, --yes   do not ask\n"
          "  --json      one JSON object: reset (true when done), error\n"}},
        {QStringLiteral("fields"),
         {0, 0,
          "Usage: omniset-cli fields [--json | --plain]\n\n"
          "Every field name that show, set and apply use (quick_dial.1..4 included), with the\n"
          "values set takes for it: the words of a choice, true or false, the range and step\n"
          "of a number (and its word, disabled), the longest text and its characters; the page\n"
          "or dialog that owns it, and whether a 314-byte record (firmware before 2.0) holds\n"
          "it. Needs no adapter.\n\n"
          "  --json    one JSON object: {\"fields\": [{\"name\", \"type\", ...}], \"error\"}\n"
          "  --plain   one line per field: its name, then the words it takes (none for\n"
          "            numbers without a word and for texts), separated by blanks\n"}},
        {QStringLiteral("set"),
         {1, 1000,
          "Usage: omniset-cli [OPTIONS] set NAME=VALUE... [--profile P] [--dry-run] [--json]\n"
          "       [--yes]\n\n"
          "Changes fields of the current configuration (or of profile P, 0..4) with the\n"
          "rules and checks of the page or dialog that owns each field. NAME is a field name\n"
          "of show (quick_dial.1..4 included, current configuration only); VALUE is written\n"
          "as show prints it (56, disabled, auto, even, true, 5550101); a threshold given a\n"
          "number is enabled with it. Prints the fields that change (old -> new), writes the\n"
          "record, reads it back and compares; \"unchanged\" when the values are already there.\n"
          "A write that fails is read back to tell whether it was stored, and put back.\n"
          "Any invalid value writes nothing (exit status 2); all other bytes keep their values.\n"
          "A change into synchronous mode (current, profile 0 or 1) asks on the terminal.\n\n"
          "  --profile P   current (default) or 0..4\n"
          "  --dry-run     print what would change and write nothing\n"
          "  --json        the result as one JSON object on standard output (as apply)\n"
          "  -y, --yes     write a change into synchronous mode without asking\n"}},
    };
    return table;
}

bool parsePort(const QString& text, int* port) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > 4) return false;
    *port = n;
    return true;
}

} // namespace

std::optional<platform::LineSettings> parseLineSpec(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    platform::LineSettings s;
    bool ok = false;
    const uint rate = parts[0].toUInt(&ok);
    if (!ok || rate < 50 || rate > 4000000) return std::nullopt;
    s.baudRate = rate;
    const int bits = parts[1].toInt(&ok);
    if (!ok || bits < 5 || bits > 8) return std::nullopt;
    s.dataBits = bits;
    const QString p = parts[2].toUpper();
    if (p == QLatin1String("N"))
        s.parity = platform::ParityNone;
    else if (p == QLatin1String("O"))
        s.parity = platform::ParityOdd;
    else if (p == QLatin1String("E"))
        s.parity = platform::ParityEven;
    else if (p == QLatin1String("M"))
        s.parity = platform::ParityMark;
    else if (p == QLatin1String("S"))
        s.parity = platform::ParitySpace;
    else
        return std::nullopt;
    if (parts[3] == QLatin1String("1"))
        s.stopBits = platform::OneStopBit;
    else if (parts[3] == QLatin1String("2"))
        s.stopBits = platform::TwoStopBits;
    else
        return std::nullopt;
    return s;
}

std::optional<CommandLine> parseCommandLine(const QStringList& args, QString* error) {
    CommandLine cl;
    QString lineText;
    auto fail = [&](const QString& message) {
        *error = message;
        return std::nullopt;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString* v) {
            if (i + 1 >= args.size()) return false;
            *v = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            cl.help = true;
        } else if (a == QLatin1String("--version")) {
            cl.version = true;
        } else if (a == QLatin1String("-q") || a == QLatin1String("--quiet")) {
            cl.quiet = true;
        } else if (a == QLatin1String("--port")) {
            if (!value(&v) || !parsePort(v, &cl.adapter.port))
                return fail(tr("--port 需要一个 1..4 的数字", "--port takes a number 1..4"));
        } else if (a == QLatin1String("--device")) {
            if (!value(&cl.adapter.device) || cl.adapter.device.isEmpty())
                return fail(tr("--device 需要一个路径", "--device takes a path"));
        } else if (a == QLatin1String("--line")) {
            if (!value(&lineText))
                return fail(tr("--line 需要 速率,数据位,校验,停止位 (RATE,BITS,PARITY,STOP)", "--line takes RATE,BITS,PARITY,STOP"));
            cl.adapter.line = parseLineSpec(lineText);
            if (!cl.adapter.line)
                return fail(tr("--line: 不是 RATE,BITS,PARITY,STOP: %1", "--line: not RATE,BITS,PARITY,STOP: %1").arg(lineText));
        } else if (a == QLatin1String("--check")) {
            cl.check = true;
        } else if (a == QLatin1String("--json")) {
            cl.json = true;
        } else if (a == QLatin1String("--plain")) {
            cl.plain = true;
        } else if (a == QLatin1String("-y") || a == QLatin1String("--yes")) {
            cl.yes = true;
        } else if (a == QLatin1String("--no-backup")) {
            cl.noBackup = true;
        } else if (a == QLatin1String("--dry-run")) {
            cl.dryRun = true;
        } else if (a == QLatin1String("--profile")) {
            if (!value(&v))
                return fail(tr("--profile 需要 current、0..4 或 quick_dial", "--profile takes current, 0..4 or quick_dial"));
            static const QStringList known{QStringLiteral("current"),   QStringLiteral("0"),
                                           QStringLiteral("1"),         QStringLiteral("2"),
                                           QStringLiteral("3"),         QStringLiteral("4"),
                                           QStringLiteral("quick_dial")};
            if (!known.contains(v))
                return fail(tr("--profile: 未知的记录 %1", "--profile: unknown record %1").arg(v));
            if (!cl.profiles.contains(v)) cl.profiles << v;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return fail(tr("未知选项 %1", "unknown option %1").arg(a));
        } else if (cl.command.isEmpty()) {
            cl.command = a;
        } else {
            cl.args << a;
        }
    }
    // "help" and "help COMMAND" are --help and "COMMAND --help".
    if (cl.command == QLatin1String("help") && cl.args.size() <= 1) {
        cl.help = true;
        cl.command = cl.args.value(0);
        cl.args.clear();
    }
    if (cl.help || cl.version) return cl;
    if (cl.command.isEmpty()) return fail(tr("没有给出命令", "no command given"));
    const auto it = commands().find(cl.command);
    if (it == commands().end()) return fail(tr("未知命令 %1", "unknown command %1").arg(cl.command));
    if (cl.args.size() < it->second.minArgs || cl.args.size() > it->second.maxArgs)
        return fail(tr("%1 的参数个数不对", "wrong number of arguments for %1").arg(cl.command));
    if (cl.adapter.line && cl.adapter.device.isEmpty())
        return fail(tr("--line 需要 --device", "--line needs --device"));
    if (cl.adapter.port && !cl.adapter.device.isEmpty())
        return fail(tr("--port 和 --device 不能同时使用", "--port and --device exclude each other"));
    auto oneOf = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (cl.command == QLatin1String(n)) return true;
        return false;
    };
    if (cl.json && !oneOf({"info", "show", "backup", "restore", "apply", "diff", "ports", "set",
                           "clock", "factory-reset", "flash", "fields"}))
        return fail(tr("--json 属于有结果输出的命令，不属于 %1", "--json belongs to the commands that report: not to %1")
                        .arg(cl.command));
    if (cl.json && cl.command == QLatin1String("backup") && cl.args.value(0) == QLatin1String("-"))
        return fail(tr("backup -: 文件写到标准输出，不能同时用 --json", "backup -: the file is standard output; --json cannot share it"));
    if (cl.plain && cl.command != QLatin1String("fields"))
        return fail(tr("--plain 属于 fields", "--plain belongs to fields"));
    if (cl.plain && cl.json)
        return fail(tr("--plain 和 --json 不能同时使用", "--plain and --json exclude each other"));
    if (cl.check && cl.command != QLatin1String("apply"))
        return fail(tr("--check 属于 apply", "--check belongs to apply"));
    if ((cl.dryRun || !cl.profiles.isEmpty()) && cl.command != QLatin1String("restore") &&
        cl.command != QLatin1String("set"))
        return fail(tr("--profile 和 --dry-run 属于 restore 和 set", "--profile and --dry-run belong to restore and set"));
    if (cl.yes && !oneOf({"factory-reset", "flash", "apply", "restore", "set"}))
        return fail(tr("--yes 属于 factory-reset、flash、apply、restore 和 set", "--yes belongs to factory-reset, flash, apply, restore and set"));
    if (cl.noBackup && cl.command != QLatin1String("flash"))
        return fail(tr("--no-backup 属于 flash", "--no-backup belongs to flash"));
    return cl;
}

QString programHelp() {
    return QStringLiteral(
        "Usage: omniset-cli [OPTIONS] COMMAND [ARGS]\n\n"
        "The KX220's configuration from a terminal, kept as files. Needs no display.\n\n"
        "Commands:\n"
        "  info                      firmware, port type, model, record length, where found\n"
        "  show [PROFILE] [--json]   every field of a record (current or 0..4)\n"
        "  backup [FILE | -]         all six records and the quick-dial numbers to a file\n"
        "  restore FILE [--profile P]... [--dry-run] [--json] [--yes]\n"
        "                            write a backup file back to the adapter (what differs)\n"
        "  apply FILE [--check] [--json] [--yes]\n"
        "                            make the adapter hold the values a file names\n"
        "  diff FILE [PROFILE]       a backup file against the adapter\n"
        "  diff FILE FILE            two backup files\n"
        "  ports                     COM1..COM4 and the system's serial devices\n"
        "  link N DEVICE             point COMn at DEVICE\n"
        "  unlink N                  remove the link of COMn\n"
        "  set NAME=VALUE... [--profile P] [--dry-run] [--json] [--yes]\n"
        "                            change fields with the pages' rules\n"
        "  fields [--json | --plain] every field name with the values it takes\n"
        "  clock                     set the adapter's date and time from this computer's\n"
        "  factory-reset [--yes]     restore the factory settings (asks first)\n"
        "  flash FILE [--no-backup] [--yes]\n"
        "                            back up, then download the firmware FILE (asks first)\n\n"
        "Options:\n"
        "  --port N                  search only COMn (1..4)\n"
        "  --device PATH             open PATH directly, trying the search's line settings\n"
        "  --line RATE,BITS,PARITY,STOP\n"
        "                            with --device: only these settings (115200,8,N,1)\n"
        "  --json                    (every command that reports) standard output is one\n"
        "                            JSON object, also on failure, with an \"error\" member\n"
        "                            (null, or exit and message); COMMAND --help names\n"
        "                            its members\n"
        "  -q, --quiet               no progress (the search, the transfer) on standard\n"
        "                            error; results, questions and errors still show\n"
        "  -h, --help                this text; COMMAND --help (or help COMMAND) for a\n"
        "                            command\n"
        "  --version                 the program's name and version\n\n"
        "Without --port or --device the adapter is searched for as the window program\n"
        "does: COM1..COM4 through $XDG_CONFIG_HOME/omniset/dosdevices, the remembered port\n"
        "and line settings first; the port found is remembered.\n\n"
        "Exit status:\n"
        "  0  success\n"
        "  1  differences (diff, apply --check)\n"
        "  2  bad usage or a bad file\n"
        "  3  adapter not found or not answering\n"
        "  4  an exchange failed (apply, restore, set: what was written is put back)\n"
        "  5  standard output could not be written (a full disk, a closed pipe)\n"
        "  130  interrupted (Ctrl-C); the port is closed, nothing unfinished is reported done\n");
}

QString commandHelp(const QString& command) {
    const auto it = commands().find(command);
    return it == commands().end() ? QString() : QString::fromUtf8(it->second.help);
}

QString versionText() { return QStringLiteral("omniset-cli " OMNISET_VERSION "\n"); }

} // namespace omniset::cli
