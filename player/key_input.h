// Key input of mivoplay: the key press that ends playback.
//
// From captureKeys on, keys pressed wait in the input, without echo, until
// waitForKey takes one: a key pressed while the song is still rendering
// ends playback as soon as rendering is done. releaseKeys gives the input
// back as it was. Between the two a terminal runs without line editing and
// echo; should SIGINT or SIGTERM end the program meanwhile, the terminal's
// settings are restored first.
#pragma once

void captureKeys();

// Waits for one key and ignores which it was. When the input is not a
// terminal it reads one byte; the end of the input counts as the key.
void waitForKey();

void releaseKeys();
