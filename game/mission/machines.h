// The machines: surveillance and gun cameras, the drones, the turret, the laser pointer and
// the discharge tubes. They look along beams and shoot instead of raising the alarm when armed.
#pragma once

void UpdateMachine(int index);

// Whether a machine's beam is on at this count of its on/off cycle.
bool MachineBeamOn(int kind, int counter, int param2);
