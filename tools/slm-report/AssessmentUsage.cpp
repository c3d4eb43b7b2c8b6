#include "AssessmentOptions.h"

// The usage text's parts on the assessments: what each table holds and how it is worked out.

namespace slm
{

QString assessmentSynopsisText()
{
    return QStringLiteral("    slm-report [--periods [--day HH:MM] [--evening HH:MM] [--night HH:MM]\n"
                          "               [--coverage PERCENT]] [--dose PRESET|LC,Q,LT]\n"
                          "               [--events THRESHOLD[,MIN_S[,CONT_S]]]\n"
                          "               [--exclusions FILE | --no-exclusions] [--json] FILE...\n"
                          "    slm-report --csv hours|days|events [assessment options] FILE\n");
}

QString assessmentDescriptionText()
{
    return QStringLiteral(
        "ASSESSMENTS\n"
        "    Times are the records' local clock times; a period [a, b) holds a record when\n"
        "    a <= t < b, and dt is the interval. Figures print with one decimal; JSON numbers\n"
        "    are rounded to 0.01, times are ISO 8601 with their UTC offset, durations in seconds\n"
        "    and coverage in %.\n"
        "\n"
        "    Exclusions: spans [start, end) with a reason, kept in FILE.assessment.json beside\n"
        "    the record file; a record inside one is left out of every figure (Leq, SEL, Lmax,\n"
        "    Lmin, Ln, the tables, the dose and the events) and counted apart as excluded.\n"
        "    Where the clock is set back, a span covers its clock times in both passes.\n"
        "\n"
        "    Hourly table: one row per clock hour holding records, with the Leq, Lmax, Lmin and\n"
        "    L10, L50, L90 (the Ln table's 0.1 dB rule) of its records not excluded, the number\n"
        "    of levels, the coverage (levels x dt / 3600 s) and the number excluded.\n"
        "\n"
        "    Day-evening-night: one row per day D whose periods hold a record (a record before\n"
        "    the day's start belongs to the day before): Lday over [D 07:00, D 19:00), Levening\n"
        "    over [D 19:00, D 23:00), Lnight over [D 23:00, D+1 07:00); Lden = 10 lg((12 x\n"
        "    10^(Lday/10) + 4 x 10^((Levening+5)/10) + 8 x 10^((Lnight+10)/10)) / 24), the weights\n"
        "    being the periods' lengths in hours; Ldn = 10 lg((15 x 10^(Ld/10) + 9 x\n"
        "    10^((Ln+10)/10)) / 24) over the day [day start, 22:00) and the night [22:00, day\n"
        "    start). A period whose coverage (levels x dt over its clock length) is below the\n"
        "    threshold is unknown, and so is every Lden or Ldn it is part of. The overall row\n"
        "    takes each period's Leq over all its records of all days, whatever their coverage.\n"
        "\n"
        "    Noise dose: a level L >= Lt contributes dt / T(L), T(L) = 8 h / 2^((L - Lc) / q);\n"
        "    the dose D is 100 % x the sum. TWA = Lc + k lg(D / 100 %) with k = 16.61 for q = 5,\n"
        "    10 for q = 3 and q / lg 2 otherwise; Lavg = Lc + k lg(D / 100 % x 8 h / Tm) over the\n"
        "    measured time Tm = levels x dt; the projected dose is D x 8 h / Tm; the 85 dB action\n"
        "    level is reached when the TWA is 85 dB or more. iso: LEX,8h = Leq + 10 lg(Tm / 8 h)\n"
        "    against the action values 80 and 85 dB and the limit 87 dB. Figures of a file that\n"
        "    is not A-weighted (or does not say) are flagged as indicative only.\n"
        "\n"
        "    Noise events: a record is above when it is a level >= the threshold or an overload\n"
        "    (\"L\"). Two above records are one event when the later one's time is at most dt + C\n"
        "    after the earlier one's and no paused or excluded record lies between them. An\n"
        "    event runs from its first above record to its last + dt and is kept when it lasts\n"
        "    at least the minimum; its Lmax, Leq and SEL = Leq + 10 lg(n x dt / 1 s) are over\n"
        "    the n levels from its first to its last above record (bridged levels included),\n"
        "    flagged over-range (lower bounds) when an overload lies inside. Events per hour are\n"
        "    counted over the measured time.\n"
        "\n");
}

QString assessmentOptionsText()
{
    return QStringLiteral(
        "    --periods\n"
        "        The hourly table and the day-evening-night table with its overall row; in\n"
        "        --json the keys hours, days and overall.\n"
        "    --day HH:MM, --evening HH:MM, --night HH:MM\n"
        "        Where the day, evening and night start (07:00, 19:00, 23:00); day < evening <=\n"
        "        night, and the day starts before 22:00.\n"
        "    --coverage PERCENT\n"
        "        The coverage a period needs for its level to count (50).\n"
        "    --dose PRESET|LC,Q,LT\n"
        "        Noise dose by osha-pel (90, 5, 90), osha-hc (90, 5, 80), niosh (85, 3, 80), a\n"
        "        criterion level, exchange rate and threshold of your own, or iso (LEX,8h).\n"
        "    --events THRESHOLD[,MIN_S[,CONT_S]]\n"
        "        Noise events above THRESHOLD dB lasting at least MIN_S seconds (0), bridging\n"
        "        gaps of up to CONT_S seconds (0).\n"
        "    --exclusions FILE\n"
        "        The assessment file whose exclusions apply (to every FILE given); by default\n"
        "        each record file's own FILE.assessment.json when there is one.\n"
        "    --no-exclusions\n"
        "        Leave every record in.\n"
        "    --csv hours|days|events\n"
        "        That table of one file as CSV (RFC 4180), the days table ending with its\n"
        "        overall row.\n");
}
} // namespace slm
