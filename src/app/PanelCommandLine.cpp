#include "app/PanelCommandLine.h"

#include <QFile>
#include <cstdio>

namespace slm
{

namespace
{

// The window system's options the panel passes on, each with one dash or two.
const QStringList QtOptionsWithValue = {
    QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),
    QStringLiteral("session"),
    QStringLiteral("style"),
    QStringLiteral("stylesheet"),
    QStringLiteral("display"),
    QStringLiteral("geometry"),
    QStringLiteral("name"),
    QStringLiteral("title"),
    QStringLiteral("qmljsdebugger"),
};
const QStringList QtFlags = {
    QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
    QStringLiteral("dograb"),  QStringLiteral("sync"),
};

QString withoutDashes(const QString& argument)
{
    return argument.mid(argument.startsWith(u"--") ? 2 : 1);
}

} // namespace

PanelCommandLine parsePanelCommandLine(const QStringList& arguments)
{
    PanelCommandLine line;
    const auto wrong = [&line](const QString& error) {
        line.action = PanelCommandLine::Action::Wrong;
        line.error = error;
        return line;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--help" || a == u"-h")
            return PanelCommandLine{PanelCommandLine::Action::Help, {}};
        if (a == u"--version")
            return PanelCommandLine{PanelCommandLine::Action::Version, {}};
        if (a == u"--publish") {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                return wrong(QStringLiteral("--publish takes the name of a file"));
            ++i;
            continue;
        }
        if (!a.startsWith(u'-') || a == u"-" || a == u"--")
            return wrong(QStringLiteral("unexpected argument %1").arg(a));
        const QString name = withoutDashes(a);
        const QString key = name.section(u'=', 0, 0);
        if (QtFlags.contains(name))
            continue;
        if (QtOptionsWithValue.contains(key)) {
            if (key == name && ++i >= arguments.size())
                return wrong(QStringLiteral("%1 takes a value").arg(a));
            continue;
        }
        return wrong(QStringLiteral("unknown option %1").arg(a));
    }
    return line;
}

QString panelUsageText()
{
    return QStringLiteral(
        "usage: slm-panel [--publish FILE] [window system options]\n"
        "       slm-panel --help | --version\n"
        "The live front panel of a sound level meter on a serial port: its keys and settings, live\n"
        "lists and graphs, recording to record files, the data logger's download and the analysis\n"
        "of record files. It needs a display. See slm-panel(1).\n"
        "\n"
        "  --publish FILE  publish the meter's samples and minute figures to the MQTT broker that\n"
        "                  FILE names (slm-station's format); without it, publish.ini in the\n"
        "                  configuration folder (~/.config/slm-panel/slm-panel) when it is there\n"
        "  --help, -h      this text\n"
        "  --version       the program's name and version\n"
        "The window system's own options (-platform NAME, -style NAME, -reverse, ...) are passed on.\n");
}

std::optional<int> answerPanelCommandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const PanelCommandLine line = parsePanelCommandLine(arguments);
    switch (line.action) {
    case PanelCommandLine::Action::Run:
        return std::nullopt;
    case PanelCommandLine::Action::Help:
        std::fputs(panelUsageText().toLocal8Bit().constData(), stdout);
        return 0;
    case PanelCommandLine::Action::Version:
        std::fputs("slm-panel " SLM_VERSION "\n", stdout);
        return 0;
    case PanelCommandLine::Action::Wrong:
        std::fprintf(stderr, "slm-panel: %s\nTry \"slm-panel --help\".\n",
                     line.error.toLocal8Bit().constData());
        return 2;
    }
    return 2;
}

} // namespace slm
