// Identifiers of the timer window's controls and of its one-second timer.
#pragma once

constexpr int ID_TIME_LABEL = 1001;
constexpr int ID_PLAY = 1002;
constexpr int ID_STOP = 1003;
constexpr int ID_RESET = 1004;
constexpr unsigned ID_TICK_TIMER = 1006;
