// Declarations shared only inside the application core.
#pragma once
