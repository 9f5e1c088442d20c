#pragma once

#include <QString>

// The per-user folder holding config.ini, Logs/ and Themes/, ending with "/". It is
// $XDG_DATA_HOME/Darvelo/Meterlyn 2/ (default ~/.local/share/...); the environment variable
// METERLYN_DATA names another folder instead (tests, portable use).
const QString& DataFolder();
// The folder of the program file, ending with "/".
const QString& ProgramFolder();

// Determines both folders and creates the data folder with all its parents. Called once at
// start; a data folder that cannot be created is not an error here.
void InitFolders();
// Points the folders elsewhere (tests). Creates the data folder.
void SetFolders(const QString& dataFolder, const QString& programFolder);

// Appends "/" when missing.
QString WithSlash(const QString& path);
