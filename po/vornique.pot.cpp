# SOME DESCRIPTIVE TITLE.
# Copyright (C) YEAR THE PACKAGE'S COPYRIGHT HOLDER
# This file is distributed under the same license as the Vornique package.
# FIRST AUTHOR <EMAIL@ADDRESS>, YEAR.
#
#, fuzzy
msgid ""
msgstr ""
"Project-Id-Version: Vornique\n"
"Report-Msgid-Bugs-To: developers@vornique.io\n"
"POT-Creation-Date: 2026-12-11 11:06+0000\n"
"PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\n"
"Last-Translator: FULL NAME <EMAIL@ADDRESS>\n"
"Language-Team: LANGUAGE <LL@li.org>\n"
"Language: \n"
"MIME-Version: 1.0\n"
"Content-Type: text/plain; charset=CHARSET\n"
"Content-Transfer-Encoding: 8bit\n"

msgid ""
"\n"
"Time:      {time}"
msgstr ""

msgid "   {level} {time} in {attempts}"
msgstr ""

msgid "10 s"
msgstr ""

msgid "3 s"
msgstr ""

msgid "5 s"
msgstr ""

msgid "A draw!"
msgstr ""

msgid "Add"
msgstr ""

msgid "Animals"
msgstr ""

msgid "Are you sure want to exit?"
msgstr ""

msgid "Attempts:    {n}"
msgstr ""

msgid "Average attempts: {n}"
msgstr ""

msgid "Average time: {time}"
msgstr ""

msgid "Best time:          {time}"
msgstr ""

msgid "Best time: {time}"
msgstr ""

msgid "Cancel"
msgstr ""

msgid "Cards"
msgstr ""

msgid "Cards: {set}"
msgstr ""

msgid "Choose the cards to play with:"
msgstr ""

msgid "Clock during play"
msgstr ""

msgid "Close"
msgstr ""

msgid "Computer (forgetful)"
msgstr ""

msgid "Computer (good)"
msgstr ""

msgid "Computer (sharp)"
msgstr ""

msgid "Congratulations!"
msgstr ""

msgid "Could not save: {why}"
msgstr ""

msgid "Create"
msgstr ""

msgid "Delete"
msgstr ""

msgid "Delete {name} and their bests?"
msgstr ""

msgid "Down"
msgstr ""

msgid "Easy"
msgstr ""

msgid "Effects volume"
msgstr ""

msgid "Enter your name:"
msgstr ""

msgid "Exit"
msgstr ""

msgid "FATAL ERROR"
msgstr ""

msgid "Failed to initialize DirectDraw: "
msgstr ""

msgid "Fewest attempts:   {n}"
msgstr ""

msgid "Fewest attempts: {n}"
msgstr ""

msgid "Full screen"
msgstr ""

msgid "Games played: {n}"
msgstr ""

msgid "Hard"
msgstr ""

msgid "Hidden"
msgstr ""

msgid "Invalid command line parameter: "
msgstr ""

msgid "Main menu"
msgstr ""

msgid "Meduim"
msgstr ""

msgid "Menu"
msgstr ""

msgid "More games"
msgstr ""

msgid "Music volume"
msgstr ""

msgid "Mute"
msgstr ""

msgid "New best!"
msgstr ""

msgid "Next"
msgstr ""

msgid "No"
msgstr ""

msgid "No finished games yet."
msgstr ""

msgid "No {level} games yet."
msgstr ""

msgid "Nobody"
msgstr ""

msgid "None"
msgstr ""

msgid "OK"
msgstr ""

msgid "Off"
msgstr ""

msgid "Ok"
msgstr ""

msgid "On"
msgstr ""

msgid "Options"
msgstr ""

msgid "Or a new player:"
msgstr ""

msgid "Pictures"
msgstr ""

msgid "Play"
msgstr ""

msgid "Play again"
msgstr ""

msgid "Player with this name already exist!"
msgstr ""

msgid "Players"
msgstr ""

msgid "Please set your desktop color depth to 16 bit."
msgstr ""

msgid "Preview"
msgstr ""

msgid "Preview bests kept apart"
msgstr ""

msgid "Previous"
msgstr ""

msgid "Reduce motion"
msgstr ""

msgid "Resume"
msgstr ""

msgid "Save as CSV"
msgstr ""

msgid "Saved to {path}"
msgstr ""

msgid "Shapes"
msgstr ""

msgid "Shown"
msgstr ""

msgid "Statistics"
msgstr ""

msgid ""
"The card set in \"{folder}\" cannot be used: {why}. The game plays with the "
"player's own choice of cards."
msgstr ""

msgid ""
"The game's data is missing or damaged: \"{file}\" next to the program could "
"not be read.\n"
"{path}\n"
"Install the game again, or build it again with ./run.sh."
msgstr ""

msgid "These card sets cannot be used and are not offered:{sets}"
msgstr ""

msgid ""
"This page is not with the game: \"{page}\" should be next to the program, "
"in\n"
"{folder}"
msgstr ""

msgid "Timer"
msgstr ""

msgid "Unmute"
msgstr ""

msgid "Up"
msgstr ""

msgid "Welcom,"
msgstr ""

msgid "Who plays?"
msgstr ""

msgid "With others: {won} of {played} won"
msgstr ""

msgid "Yes"
msgstr ""

msgid "Your bests"
msgstr ""

msgid "Your bests with {set}"
msgstr ""

msgid ""
"Your progress cannot be saved in {folder}:\n"
"{why}\n"
"You can play on, but new players and changes will be lost when the game ends."
msgstr ""

msgid "Your times will show here."
msgstr ""

msgid "best"
msgstr ""

msgid "by {author}"
msgstr ""

msgid "if you not {name} click here"
msgstr ""

msgid "it cannot be read"
msgstr ""

msgid "it holds {n} face pictures; a set needs at least {least}"
msgstr ""

msgid "it is larger than the {size} KiB allowed"
msgstr ""

msgid ""
"it is not a PNG or JPEG picture that can be read (damaged, cut off or too "
"large)"
msgstr ""

msgid "it is not a folder"
msgstr ""

msgid "the folder cannot be read: {why}"
msgstr ""

msgid "the folder does not exist"
msgstr ""

msgid "the folder is a link, which the game does not follow"
msgstr ""

msgid "the picture is too large ({width} x {height} pixels)"
msgstr ""

msgid "your last {n} games, oldest first"
msgstr ""

msgid "your one game"
msgstr ""

msgid "{file}: {why}"
msgstr ""

msgid "{name}   pairs: {pairs}   attempts: {attempts}"
msgstr ""

msgid "{name} wins!"
msgstr ""

msgid "{name}!"
msgstr ""

msgid "{name}: {pairs}"
msgstr ""

msgid "{n}%"
msgstr ""

msgid "{whole}.{tenth}"
msgstr ""
