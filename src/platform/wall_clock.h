// The date and the time of day as the player's own clock shows them, for what the game keeps.
#pragma once

#include <ctime>
#include <string>

namespace platform {

// `at` in the local time zone as "YYYY-MM-DDTHH:MM:SS".
std::string localTimeText(std::time_t at);

// The present moment, in the same form.
std::string localTimeNow();

} // namespace platform
