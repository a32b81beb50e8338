#pragma once

// Capture search below the alpha-beta leaves; q runs from 0 down to -8.
int quiescence(int q, int ply, int alpha, int beta);
