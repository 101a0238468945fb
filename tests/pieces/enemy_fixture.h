// The enemy fixture lives beside the hero's, with which it shares its ground.
#pragma once

#include "pieces/hero_world_fixture.h"
