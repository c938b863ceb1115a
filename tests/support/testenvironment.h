#pragma once

// Start-up shared by the GUI tests: the image resources, and a settings store
// in a fresh temporary folder so no test touches the user's real settings.
void initTestEnvironment();
