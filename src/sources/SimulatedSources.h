#pragma once

// Keeps the simulated GPIB bus in step with the program's source records:
// while the simulator plug-in is active, the followed ConfLaser (the live one)
// hands the plug-in its four records whenever they change, and the plug-in
// puts a simulated laser of each record's model and range at its address.
// Without the simulator every call does nothing.

class ConfLaser;

namespace SimulatedSources {

// Follows conf (nullptr: none) and tells the plug-in its records at once.
void follow(const ConfLaser* conf);
// Stops following conf if it is the followed one (its destructor calls this).
void unfollow(const ConfLaser* conf);
// Tells the plug-in conf's records when conf is the followed one.
void publishIfFollowed(const ConfLaser& conf);
// Tells the plug-in the followed records (when the simulated bus is first bound).
void publishFollowed();

}  // namespace SimulatedSources
