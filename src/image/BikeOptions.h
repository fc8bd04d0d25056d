#pragma once

// Options that depend on the bike type alone. They belong with the bike
// tables; until those exist they are kept here, once.

// The bike's display can show the temperature instead of the speed; for
// the others the race page clears image byte 107 whenever it is written.
bool TempDisplayAllowed(int bike);
// The bike has intake ports the unit switches (the bike page's group).
bool IntakePortsFitted(int bike);
// The unit drives the idle step motor by itself: the idle page shows the
// position curve in percent, the normalisation leaves the step timing alone,
// and the monitor's pilot light is the choke.
bool IdlePositionBike(int bike);
