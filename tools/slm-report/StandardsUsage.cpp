#include "StandardsOptions.h"

// The usage text's parts on the standards' assessments.

namespace slm
{

QString standardsSynopsisText()
{
    return QStringLiteral(
        "    slm-report [--intervals 5min|15min|30min|1h] [--limits FILE] [--background 15min|1h]\n"
        "               [--ambient X --residual X] [--rating [--specific X] [--tr T] [--on-time T]\n"
        "               [--tonal N] [--impulsive N] [--other N] [--intermittency N]\n"
        "               [--background-level L]] [--abc D,E,N|FILE] [--rbl] [--cnel]\n"
        "               [--n-above [X[,X...]]] [assessment options] [--json] FILE...\n"
        "    slm-report --csv intervals|background|limits|residual|rating|abc|rbl|cnel|n-above\n"
        "               [options] FILE\n");
}

QString standardsDescriptionText()
{
    return QStringLiteral(
        "STANDARDS\n"
        "    Levels leave out paused, other and excluded records; coverage is levels x dt over\n"
        "    the period's length; a level X is a number in dB, a record file (its Leq, with its\n"
        "    own exclusions) or a span START/END of the file assessed (yyyy-mm-ddThh:mm[:ss] on\n"
        "    the records' clock, START included, END not).\n"
        "\n"
        "    Limits over the file: the [limitN] sections of a station's limits replayed over\n"
        "    every record as the station judges them live (exclusions do not apply), each limit\n"
        "    starting clear: the transitions in the alarm log's columns, and per limit the time\n"
        "    in warning and in alarm (from each transition to the next or to the last record +\n"
        "    dt), the number of alarms and, for leq-period, the periods judged and exceeded.\n"
        "\n"
        "    Background: the L90 of each clock interval; those meeting the --coverage threshold\n"
        "    in 1 dB classes [n, n+1), apart for the day (intervals starting 07:00-23:00) and the\n"
        "    night, with the median (the lower middle value) and the mode (the lower on a tie).\n"
        "\n"
        "    Residual correction: d = La - Lr; d > 10 dB: Ls = La; 3 < d <= 10 dB: Ls =\n"
        "    10 lg(10^(La/10) - 10^(Lr/10)); d <= 3 dB: Ls <= La, no correction possible.\n"
        "\n"
        "    Rating level: LAr = Ls + 10 lg(t_on / Tr) + the corrections, against the background\n"
        "    LA90: the excess LAr - LA90 and its indication (+10 dB or more a likely significant\n"
        "    adverse impact, +5 dB a likely adverse impact, 0 or less a low impact, each depending\n"
        "    on the context); the levels also in whole decibels. Tr is 1 h, or 15 min when the\n"
        "    specific level is a span starting at night (23:00-07:00); a Tr of 15 min or less\n"
        "    takes the night's background median, any other the day's.\n"
        "\n"
        "    Construction thresholds: the ambient Leq of the day (07:00-19:00 Monday to Friday,\n"
        "    07:00-13:00 Saturday), the evening and weekend (the rest of 07:00-23:00) and the night\n"
        "    (23:00-07:00), rounded to 5 dB, below category A's 65, 55, 45 dB gives A, equal to it\n"
        "    B (+5 dB), above it C (+10 dB); above C the threshold is the ambient + 3 dB. Each day\n"
        "    and period: the total Leq, the site noise (the total corrected for the ambient) and\n"
        "    the verdict: exceeded, not exceeded, or undetermined when the site noise is only\n"
        "    bounded and the total is above the threshold.\n"
        "\n"
        "    Rating background level: day 07:00-18:00 (08:00 on Sundays), evening 18:00-22:00,\n"
        "    night 22:00-07:00 (08:00 into a Sunday). The ABL of a day's period is the value at\n"
        "    rank ceil(0.1 n) of its n L90,15min values meeting the --coverage threshold; it\n"
        "    counts when 75 % of the period's 15-minute intervals do. The RBL is the lower median\n"
        "    of the ABLs, at least 35 dB by day and 30 dB in the evening and night; the\n"
        "    intrusiveness level is RBL + 5 dB; fewer than 7 valid days are flagged.\n"
        "\n"
        "    CNEL = 10 lg((12 x 10^(Ld/10) + 3 x 3 x 10^(Le/10) + 9 x 10 x 10^(Ln/10)) / 24), day\n"
        "    07:00-19:00, evening 19:00-22:00, night 22:00-07:00; a period below the --coverage\n"
        "    threshold leaves its day's CNEL unknown; the overall CNEL is the energy mean of the\n"
        "    known ones. N-above: the events at each threshold (the event rule with --events'\n"
        "    minimum duration and continuation) counted in the night of the day-evening-night\n"
        "    table they start in, and over the whole file.\n"
        "\n"
        "    An input that cannot be read (a record file, the limits file), a span outside the\n"
        "    records or without levels, and no valid day for a rating background level end the\n"
        "    file's report with a message naming them and status 1; a value that is not of its\n"
        "    kind or not in its list (a correction of 5 dB) is a wrong command line (status 2).\n"
        "\n");
}

QString standardsOptionsText()
{
    return QStringLiteral(
        "    --intervals 5min|15min|30min|1h\n"
        "        The interval table: per clock interval the Leq, Lmax, Lmin, L10, L50, L90, levels,\n"
        "        coverage and excluded records; in --json the key intervals.\n"
        "    --limits FILE\n"
        "        Replays the limits of FILE (a station's INI file or one with its [limitN] sections)\n"
        "        over the records; in --json the key limits.\n"
        "    --background 15min|1h\n"
        "        The background L90 of each interval, its day and night distribution, median and\n"
        "        mode; in --json the key background.\n"
        "    --ambient X, --residual X\n"
        "        The ambient level La and the residual level Lr of the residual correction; in\n"
        "        --json the key residual.\n"
        "    --rating\n"
        "        The rating level of the specific level against the background; in --json the key\n"
        "        rating.\n"
        "    --specific X\n"
        "        The specific level Ls of the rating (else the residual correction's).\n"
        "    --tr T, --on-time T\n"
        "        The reference interval Tr and the on-time t_on (Tr when not given), as 900, 90s,\n"
        "        15min or 1h.\n"
        "    --tonal N, --impulsive N, --other N, --intermittency N\n"
        "        The character corrections in dB: tonal 0, 2, 4 or 6; impulsive 0, 3, 6 or 9; other\n"
        "        0 or 3; intermittency 0 or 3 (0 each).\n"
        "    --background-level L\n"
        "        The background LA90 of the rating in dB (else the median of --background).\n"
        "    --abc D,E,N|FILE\n"
        "        The construction thresholds from the ambient levels of the day, the evening and\n"
        "        weekend and the night, or from a pre-construction record file; in --json the key\n"
        "        abc.\n"
        "    --rbl\n"
        "        The assessment background levels and the rating background levels; in --json the\n"
        "        key rbl.\n"
        "    --cnel\n"
        "        CNEL per day and overall; in --json the key cnel.\n"
        "    --n-above [X[,X...]]\n"
        "        The events above each threshold X in dB (60, 65 and 70) per night and over the file;\n"
        "        in --json the key n_above.\n"
        "    --csv intervals|background|limits|residual|rating|abc|rbl|cnel|n-above\n"
        "        That table of one file as CSV: the interval rows, the background intervals, the\n"
        "        limit transitions, the residual correction, the rating, the construction rows, the\n"
        "        ABL rows, the CNEL days with the overall row, the nights' counts with the file's.\n");
}

} // namespace slm
