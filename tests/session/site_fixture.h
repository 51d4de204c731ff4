// A site of the data builder's folder for the session's tests: the folder is
// built once per test process, made the current folder while a test runs,
// and its sites loaded through every stage of the world loader.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "world/services.h"

// Makes the built folder current, remembering the folder it leaves in
// previous; fails when the data builder failed.
::testing::AssertionResult EnterGameFolder(std::filesystem::path& previous);
// Opens the site of the site table (its first configuration) and loads it
// whole into world, which becomes the current world.
::testing::AssertionResult LoadWholeSite(std::unique_ptr<World>& world, int site);
