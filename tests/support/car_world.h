// The world's answers to the cars, for tests of the vehicle that load whole
// cars from the data builder's folder (their body models are world models).
#pragma once

// Installs the world's vehicle hooks: body models, paths and figures.
void InstallCarWorldServices();
