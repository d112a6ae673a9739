// The system variables (#n) that the host program, the executor and the command libraries
// share: their slot numbers and contents.
#pragma once

#define VSK_SYS_VERSION 0              // the number 1171
#define VSK_SYS_KEY 2                  // word 0 the last key pressed, word 1 the key held
#define VSK_SYS_SHIFT 3                // the same for the key's lParam
#define VSK_SYS_RETURN 4               // a script file's return value (RETURN, GOSUB, EXIT)
#define VSK_SYS_RUNNING 7              // the running task (integer part) and line (fraction word)
#define VSK_SYS_WINDOWSDIR 10          // string: the Windows folder
#define VSK_SYS_EXECDIR 11             // string: the executor's folder
#define VSK_SYS_CLOSETEXT 13           // string: the question asked when the main screen is closed
#define VSK_SYS_COMMANDLINE 14         // string: the host program's command line
#define VSK_SCREENS 10                 // numbered screens 0-9; per screen n:
#define VSK_SYS_SCREEN(n) (20 + (n))   // words: window, 2D screen, icon, cursor
#define VSK_SYS_TEXTPOS(n) (30 + (n))  // rectangle: text x, y, cell width, height
#define VSK_SYS_TEXTCOLOR(n) (40 + (n))     // words: text colour, background, 0, attribute
#define VSK_SYS_FONT(n) (50 + (n))          // string: font face
#define VSK_SYS_SURFACE(n) (60 + (n))       // rectangle: drawing surface width, height
#define VSK_SYS_VIEW(n) (70 + (n))          // rectangle: visible origin x, y and shown size
#define VSK_SYS_ZOOM(n) (100 + (n))         // words: auto refresh, -, zoom % x, zoom % y
#define VSK_SYS_LBUTTON(n) (110 + (n))      // words: state, collected clicks, x, y
#define VSK_SYS_RBUTTON(n) (120 + (n))      // the same for the right button
#define VSK_SYS_TASKPRIVATE(t) (180 + (t))  // task t's own slot (the SWITCH value)
