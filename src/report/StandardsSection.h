#pragma once

#include "measurement/StandardsOutcome.h"

namespace slm::report
{

class PageFlow;

// The report's "Standards" section: the method's inputs with every correction and its reason,
// what could not be worked out, then each table as the window's tab shows it, the background's
// classes drawn by day and by night.
void composeStandards(PageFlow& flow, const StandardsOutcome& outcome, const QString& fileName);

} // namespace slm::report
