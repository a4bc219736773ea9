// The string table: the game's longer display texts (captions, messages, help
// and newspaper pages), looked up by numeric id, and a few by symbolic name for
// the form reader. Loaded from "Strings.txt" (texts folder) and "TextID.dat"
// (data folder, the numbers of the names). One table per process.
#pragma once

// Loads both files; failures only go to the log. The id table is rebuilt on
// every load; the name table keeps what earlier loads put in it.
void LoadStringTable(const char* stringsPath, const char* idsPath);

// Copies the text of the id into buffer (size = the buffer's size) and returns
// its length, cut to size - 1 characters. An unknown id gives "" and 0; a size
// below 1 writes nothing and gives 0.
int GetStringById(int id, char* buffer, int size);

// The same against the names listed after the "KMF" tag of "Strings.txt".
int GetStringByName(const char* name, char* buffer, int size);
