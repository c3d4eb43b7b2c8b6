#include "live/PanelWiring.h"

#include "live/Panel.h"

PanelWiring::PanelWiring(Panel& panel, Services&, PanelState&) : m_panel(panel)
{
}

PanelWiring::~PanelWiring() = default;
