#pragma once
// The bundled track of the virtual card: a walk of about 2.7 km around a park, one
// GGA, GSA, GSV (three), RMC and VTG group per second, with a receiver's small position
// noise, satellites that move across the sky and dilution that follows them. The same
// text comes out on every machine, so the committed file can be checked against it.

#include <string>

namespace Cardsim {

std::string generateWalkTrack();

} // namespace Cardsim
