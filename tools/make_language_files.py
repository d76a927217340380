#!/usr/bin/python3
"""Writes the language files res/<language>/{ressource,link,tips,welcome}.txt and the
text index res/text_numbers.tsv.

The texts live here as Python data (UTF-8). The files are written as Windows-1252 bytes
with CR LF line ends, which is what the program reads.

ressource.txt: one text per line; the first character names the section, characters 2-4
carry the text number as a reading aid only, the text starts at character 5. The k-th line
of a section is text k, so every number up to the highest used one gets a line; numbers no
window uses hold "-".

Run from anywhere: /usr/bin/python3 tools/make_language_files.py
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")

LANGUAGES = ("Francais", "English")

SECTIONS = (
    ("C", "Captions: window titles, labels, buttons, check boxes, status lines"),
    ("I", "Information texts: memo lines, counters, formatted titles"),
    ("M", "Menu texts"),
    ("S", "Messages: message boxes, questions and the feedback lines over the map"),
    ("H", "Hints of tool buttons and pictures"),
    ("A", "About texts"),
    ("T", "Type texts: description of a category, by category id"),
)

FILLER = "-"

# (section, number, arguments, meaning, where used, French, English)
# "%%" is a line break, "%0" the product title, "%1" and "%2" the caller's arguments.
TEXTS = [
    # ---- C: captions -------------------------------------------------------------------
    ("C", 1, "", "point name", "point editor: title of the name box",
     "Nom", "Name"),
    ("C", 2, "", "point comment", "point editor: comment page tab, followed by a length counter",
     "Infos", "Notes"),
    ("C", 5, "", "player level label", "point editor: player level page, label of the level box",
     "Niveau du joueur :", "Player level:"),
    ("C", 8, "", "search in names", "search dialog: check box for searching point names",
     "Noms", "Names"),
    ("C", 12, "", "levels", "search dialog: level filter check box; point editor: levels box",
     "Niveaux", "Levels"),
    ("C", 18, "", "zone position", "point editor: box with the x and y position in the zone",
     "Position (x, y)", "Position (x, y)"),
    ("C", 21, "", "bridge target prefix", "point editor links page: put before the other point's name",
     "Pont vers", "Bridge to"),
    ("C", 22, "", "comment length prefix", "point editor: put before the characters counter",
     "Caractères :", "Characters:"),
    ("C", 23, "", "category comment limit prefix", "point editor: put before the counter against the category limit",
     "Limite de la catégorie :", "Category limit:"),
    ("C", 24, "", "comment too long warning", "point editor: comment longer than the category allows",
     "Trop long pour cette catégorie !", "Too long for this category!"),
    ("C", 29, "", "comments / information", "search dialog: check box for searching comments; about box: window title after the version",
     "Infos", "Notes"),
    ("C", 30, "", "close button", "about box, update dialog and map generator: close button",
     "Fermer", "Close"),
    ("C", 31, "", "OK button", "preferences, nickname dialog, point editor, route options: OK button",
     "OK", "OK"),
    ("C", 32, "", "cancel button", "preferences, point editor, sending dialog: cancel button",
     "Annuler", "Cancel"),
    ("C", 34, "", "no comment allowed", "point editor: put after the comment tab and the limit label when the category takes no comment",
     "(non autorisées)", "(not allowed)"),
    ("C", 35, "", "delete button", "point editor: delete the point",
     "Supprimer", "Delete"),
    ("C", 38, "", "apply the name", "point editor, all points page: check box for the name",
     "Nom", "Name"),
    ("C", 40, "", "point editor title", "point editor: window title",
     "Éditeur de point", "Point editor"),
    ("C", 41, "", "readme missing", "about box: shown when readme.txt is missing",
     "Le fichier readme.txt est introuvable.", "The file readme.txt was not found."),
    ("C", 43, "", "preferences title", "preferences dialog: window title",
     "Préférences", "Preferences"),
    ("C", 44, "", "update period: every start", "update dialog: first item of the period list",
     "À chaque démarrage", "At every start"),
    ("C", 45, "", "update period: daily", "update dialog: second item of the period list",
     "Tous les jours", "Every day"),
    ("C", 46, "", "update period: every two days", "update dialog: third item of the period list",
     "Tous les deux jours", "Every two days"),
    ("C", 47, "", "update period: weekly", "update dialog: fourth item of the period list",
     "Toutes les semaines", "Every week"),
    ("C", 48, "", "update period: never", "update dialog: fifth item of the period list",
     "Jamais", "Never"),
    ("C", 49, "", "update period label", "update dialog: label of the period list",
     "Rechercher les mises à jour :", "Check for updates:"),
    ("C", 50, "", "check and update button", "update dialog: start the check and the download",
     "Vérifier et mettre à jour", "Check and update"),
    ("C", 52, "", "file updated", "update dialog: status of a file that was replaced",
     "Mis à jour", "Updated"),
    ("C", 53, "", "file not replaced", "update dialog: status when unpacking, checking or replacing failed",
     "Échec du remplacement", "Could not replace"),
    ("C", 54, "", "download failed", "update dialog: status when the download failed",
     "Échec du téléchargement", "Download failed"),
    ("C", 56, "", "update introduction, line 1", "update dialog: first line of the message memo",
     "Cliquez sur « Vérifier et mettre à jour » pour comparer vos fichiers avec ceux du serveur.",
     "Click \"Check and update\" to compare your files with those on the server."),
    ("C", 57, "", "update introduction, line 2", "update dialog: second line of the message memo",
     "Les fichiers qui ont changé seront téléchargés et remplacés.",
     "Files that have changed will be downloaded and replaced."),
    ("C", 58, "", "files to update", "update dialog: state line when files are selected",
     "Fichiers à mettre à jour :", "Files to update:"),
    ("C", 59, "", "server replied", "update dialog: state line after the request",
     "Réponse du serveur reçue.", "Server reply received."),
    ("C", 60, "", "invalid server reply", "update dialog: memo line when the reply is missing or invalid",
     "Le serveur n'a pas donné de réponse valide.", "The server did not give a valid reply."),
    ("C", 61, "", "update window title", "update dialog: window title after the product name",
     "- mise à jour", "- update"),
    ("C", 64, "", "links page", "point editor: tab of the route, area and bridge page",
     "Liens", "Links"),
    ("C", 66, "", "route button", "point editor links page: make a route from the waypoints",
     "Trajet", "Route"),
    ("C", 67, "", "clear link button", "point editor links page: remove the link",
     "Effacer", "Clear"),
    ("C", 69, "", "colour by level", "preferences: check box, colour points by their level",
     "Colorer les points selon leur niveau", "Colour points by their level"),
    ("C", 71, "", "hint display time", "preferences: label of the hint time in seconds",
     "Durée des bulles d'aide en secondes (0 = jusqu'au départ de la souris) :",
     "Hint display time in seconds (0 = until the mouse leaves):"),
    ("C", 72, "", "area button", "point editor links page: make an area from the waypoints",
     "Zone", "Area"),
    ("C", 75, "", "auto-save", "preferences: check box, save the additions every 5 minutes",
     "Enregistrer les ajouts toutes les 5 minutes", "Save the additions every 5 minutes"),
    ("C", 76, "", "colours group", "preferences: group around the level colouring",
     "Couleurs", "Colours"),
    ("C", 77, "", "nickname", "preferences: nickname group; nickname dialog: window title",
     "Pseudonyme", "Nickname"),
    ("C", 79, "", "translucent window", "preferences: check box, main window drawn translucent",
     "Fenêtre principale translucide", "Translucent main window"),
    ("C", 80, "", "credits header", "about box: first line of the credits page",
     "Crédits de la base de données :", "Database credits:"),
    ("C", 84, "", "player level page", "point editor: tab of the player level page",
     "Niveau du joueur", "Player level"),
    ("C", 85, "", "level colour help", "point editor player level page: help beside the colour swatches",
     "Cliquez sur une couleur pour choisir les niveaux.",
     "Click a colour to pick the level range."),
    ("C", 90, "", "map images group", "preferences display page: group of the image options",
     "Images des cartes", "Map images"),
    ("C", 91, "", "detail levels group", "preferences display page: group of the zoom detail levels",
     "Niveaux de détail (pixels par zone, par dizaines)", "Detail levels (pixels per zone, in tens)"),
    ("C", 92, "", "detail level 1", "preferences display page: label of the first zoom threshold",
     "Détail 1 à partir de :", "Detail 1 from:"),
    ("C", 93, "", "detail level 2", "preferences display page: label of the second zoom threshold",
     "Détail 2 à partir de :", "Detail 2 from:"),
    ("C", 94, "", "detail level 3", "preferences display page: label of the third zoom threshold",
     "Détail 3 à partir de :", "Detail 3 from:"),
    ("C", 95, "", "zone outlines", "preferences display page: check box and zoom of the zone outlines",
     "Contours des zones à partir de :", "Zone outlines from:"),
    ("C", 97, "", "general page", "preferences: tab of the first page",
     "Général", "General"),
    ("C", 98, "", "display page", "preferences: tab of the display page",
     "Affichage", "Display"),
    ("C", 99, "", "interface language", "preferences: group of the language list",
     "Langue de l'interface", "Interface language"),
    ("C", 100, "", "databases group", "preferences: group of the database list",
     "Bases de données", "Databases"),
    ("C", 101, "", "database prefix", "update dialog: memo line, followed by the database name",
     "Base de données :", "Database:"),
    ("C", 102, "", "waypoints", "point editor links page: followed by the waypoint count",
     "Points de passage", "Waypoints"),
    ("C", 106, "", "low definition", "map generator: check box for smaller images",
     "Basse définition", "Low definition"),
    ("C", 107, "", "apply the comment", "point editor, all points page: check box for the comment",
     "Infos", "Notes"),
    ("C", 108, "", "apply the properties", "point editor, all points page: check box for the properties",
     "Propriétés", "Properties"),
    ("C", 109, "", "apply the levels", "point editor, all points page: check box for the levels",
     "Niveaux", "Levels"),
    ("C", 110, "", "apply group", "point editor, all points page: group of the parts to apply",
     "Appliquer aussi :", "Also apply:"),
    ("C", 111, "", "image smoothing", "preferences display page: check box, smooth enlarged images",
     "Lisser les images agrandies", "Smooth enlarged images"),
    ("C", 112, "", "file pending", "update dialog: first status of a listed file",
     "En attente", "Pending"),
    ("C", 114, "", "pick paths", "preferences: check box, paths can be picked with the mouse",
     "Sélectionner les trajets à la souris", "Pick routes with the mouse"),
    ("C", 116, "", "route opacity", "route options dialog: label of the opacity box",
     "Opacité :", "Opacity:"),
    ("C", 118, "", "route at every zoom", "route options dialog: check box, route shown at every zoom",
     "Visible à tous les zooms", "Visible at every zoom"),
    ("C", 119, "", "route options title", "route options dialog: window title",
     "Options du trajet", "Route options"),
    ("C", 121, "", "general page", "point editor: tab of the general page",
     "Général", "General"),
    ("C", 122, "", "advanced editor page", "point editor: tab of the large comment editor",
     "Éditeur avancé", "Advanced editor"),
    ("C", 136, "", "font button", "preferences legend page: choose the label font",
     "Police...", "Font..."),
    ("C", 137, "", "colour button", "preferences legend page: choose the category colour",
     "Couleur...", "Colour..."),
    ("C", 138, "", "selected category group", "preferences legend page: group of the focused category",
     "Catégorie sélectionnée", "Selected category"),
    ("C", 139, "", "legend help", "preferences legend page: label beside the category buttons",
     "Cochez les catégories à afficher sur la carte.", "Tick the categories to show on the map."),
    ("C", 140, "", "legend page", "preferences: tab of the legend page",
     "Légende", "Legend"),
    ("C", 141, "", "defaults button", "preferences: reset the focused category; reset the display values",
     "Par défaut", "Defaults"),
    ("C", 142, "", "reset all categories", "preferences legend page: reset every category",
     "Tout réinitialiser", "Reset all"),
    ("C", 143, "", "restore last view", "preferences: check box, restore the last view at start-up",
     "Rétablir la dernière vue au démarrage", "Restore the last view at start-up"),
    ("C", 144, "", "comparing files", "update dialog: status bar while local files are compared",
     "Comparaison des fichiers locaux...", "Comparing local files..."),
    ("C", 145, "", "folder not created", "update dialog: status of a file whose folder cannot be made",
     "Dossier impossible à créer", "Folder cannot be created"),
    ("C", 146, "", "downloading", "update dialog: status of the file being downloaded",
     "Téléchargement...", "Downloading..."),
    ("C", 151, "", "high-definition images", "preferences display page: label of the high-definition zoom",
     "Images haute définition à partir de :", "High-definition images from:"),
    ("C", 152, "", "outline current zone", "preferences display page: check box, outline the current zone",
     "Entourer la zone courante", "Outline the current zone"),
    ("C", 153, "", "generate maps", "map generator: window title and generate button",
     "Générer les cartes", "Generate maps"),
    ("C", 154, "", "image quality group", "map generator: group of the definition and JPEG quality",
     "Qualité des images", "Image quality"),
    ("C", 155, "", "game folder not found", "map generator: shown in the folder box when no game program is found",
     "<dossier du jeu introuvable>", "<game folder not found>"),
    ("C", 156, "", "choose a file", "map generator: title of the file chooser",
     "Choisir un fichier", "Choose a file"),
    ("C", 158, "", "zone images missing", "map generator memo: opened by the data load because images are missing",
     "Des images de zones manquent pour cette base de données.",
     "Some zone images are missing for this database."),
    ("C", 159, "", "generator introduction", "map generator memo: opened from its toolbar button",
     "Création des images de zones à partir des archives du jeu.",
     "Zone images are made from the game's archives."),
    ("C", 160, "", "sending method group", "sending dialog: group of the three ways to send",
     "Mode d'envoi", "Sending method"),
    ("C", 161, "", "sending title", "sending dialog: window title before the database name",
     "Envoi des ajouts -", "Send the additions -"),
    ("C", 162, "", "send by upload", "sending dialog: upload over the Internet",
     "Envoyer par Internet", "Upload over the Internet"),
    ("C", 163, "", "send by mail", "sending dialog: send by e-mail",
     "Envoyer par e-mail", "Send by e-mail"),
    ("C", 164, "", "open additions folder", "sending dialog: open the folder to send by hand",
     "Ouvrir le dossier des ajouts", "Open the additions folder"),
    ("C", 165, "", "send button", "sending dialog: send",
     "Envoyer", "Send"),
    ("C", 166, "", "upload unavailable", "sending dialog: upload choice when the file is too large",
     "Envoi par Internet impossible (fichier trop gros)", "Upload unavailable (file too large)"),
    ("C", 167, "", "search area bar", "map: bar text when search-area mode starts",
     "Zone de recherche : cliquez ici pour tout réafficher", "Search area: click here to show everything again"),
    ("C", 168, "", "search area mode", "search dialog: check box, draw only the points found",
     "N'afficher que les résultats sur la carte", "Show only the results on the map"),
    ("C", 169, "", "search title", "search dialog: window title",
     "Recherche", "Search"),
    ("C", 171, "", "reset search", "search dialog: reset the criteria",
     "Réinitialiser", "Reset"),
    ("C", 172, "", "choose editable database", "first-run dialog, edit mode: text above the database list",
     "Choisissez la base de données qui recevra vos ajouts.",
     "Choose the database that will receive your additions."),
    ("C", 173, "", "editable database", "first-run dialog, edit mode: window title; preferences: mark as editable button",
     "Base modifiable", "Editable database"),
    ("C", 178, "", "building regions", "status bar while the regions are built",
     "Calcul des régions...", "Building regions..."),
    ("C", 179, "", "loading continent", "status bar while a continent is loaded",
     "Chargement du continent...", "Loading the continent..."),
    ("C", 180, "", "loading data", "status bar while the database is loaded",
     "Chargement des données...", "Loading the data..."),
    ("C", 181, "", "all points page", "point editor: tab of the page that applies changes to same-named points",
     "Tous les points", "All points"),
    ("C", 185, "", "regions", "search dialog: root of the region criteria",
     "Régions", "Regions"),
    ("C", 186, "", "properties", "search dialog: root of the property criteria",
     "Propriétés", "Properties"),
    ("C", 187, "", "categories", "search dialog: root of the category criteria",
     "Catégories", "Categories"),
    ("C", 188, "", "own additions", "search dialog: criterion, points added by the user",
     "Mes ajouts", "My additions"),
    ("C", 189, "", "locked points", "search dialog: criterion, locked points",
     "Points verrouillés", "Locked points"),
    ("C", 190, "", "zone classes", "search dialog: root of the zone class criteria",
     "Types de zones", "Zone types"),
    ("C", 191, "", "go to first result", "search dialog: check box, move the map to the first result",
     "Aller au premier résultat", "Go to the first result"),
    ("C", 192, "", "link kind", "search dialog: root of the link kind criteria",
     "Type de lien", "Link kind"),
    ("C", 193, "", "outside regions", "search dialog: criterion, points outside every region",
     "Hors des régions", "Outside regions"),
    ("C", 194, "", "generator help", "map generator memo: how to start",
     "Choisissez le dossier du jeu, puis cliquez sur « Générer les cartes ».",
     "Choose the game folder, then click \"Generate maps\"."),
    ("C", 195, "", "add archive", "map generator: add an archive to the list",
     "Ajouter une archive...", "Add an archive..."),
    ("C", 196, "", "remove own archives", "map generator: remove every archive the user added",
     "Retirer mes archives", "Remove my archives"),
    ("C", 197, "", "newer version", "update dialog: state line when the server has a newer version",
     "Une nouvelle version est disponible !", "A new version is available!"),
    ("C", 198, "", "generator duration", "map generator memo: where the images go and how long it takes",
     "Les images sont créées dans le dossier maps ; cela peut prendre quelques minutes.",
     "The images are written to the maps folder; this may take a few minutes."),

    # ---- I: information texts ------------------------------------------------------------
    ("I", 2, "%1", "additions header value", "information memo after loading: the database value that enables the additions file",
     "Version des ajouts : %1", "Additions version: %1"),
    ("I", 3, "%1", "database date", "information memo after loading: date of the database",
     "Date de la base : %1", "Database date: %1"),
    ("I", 4, "%1", "points read time", "information memo: seconds taken to read the points",
     "Points lus en %1 s", "Points read in %1 s"),
    ("I", 5, "%1", "additions merged", "information memo: count of additions and their score",
     "Ajouts chargés : %1", "Additions loaded: %1"),
    ("I", 7, "%1", "load time", "information memo: seconds taken by the whole data load",
     "Données chargées en %1 s", "Data loaded in %1 s"),
    ("I", 12, "%1", "result count", "search results page: number of points found",
     "%1 point(s) trouvé(s)", "%1 point(s) found"),
    ("I", 14, "%1", "apply to all same-named points", "point editor: check box with the point's name",
     "Appliquer à tous les points « %1 » de cette catégorie",
     "Apply to every point \"%1\" of this category"),
    ("I", 17, "%1 %2", "modify title", "point editor: window title in modify mode, name and master id",
     "Modifier « %1 » (id %2)", "Modify \"%1\" (id %2)"),
    ("I", 18, "%1", "mail subject", "sending by mail: subject with the additions file name",
     "Vev Karvelo : ajouts %1", "Vev Karvelo: additions %1"),
    ("I", 19, "%1", "mail body", "sending by mail: body text with the additions file name",
     "Bonjour,%%Voici mon fichier d'ajouts %1.%%Merci !",
     "Hello,%%Here is my additions file %1.%%Thank you!"),
    ("I", 25, "%1", "default point name", "point editor: generic name of a new point, with the database name",
     "Nouveau point (%1)", "New point (%1)"),
    ("I", 26, "%1", "search area bar with count", "map: bar text in search-area mode after a search",
     "%1 point(s) trouvé(s) : cliquez ici pour tout réafficher",
     "%1 point(s) found: click here to show everything again"),

    # ---- M: menu texts -------------------------------------------------------------------
    ("M", 9, "", "display menu", "hidden main menu that carries the keyboard shortcuts",
     "Affichage", "Display"),
    ("M", 12, "", "no link options", "point editor link box popup: disabled options item",
     "(pas d'options)", "(no options)"),
    ("M", 14, "", "link options", "point editor link box popup: route options or bridge direction",
     "Options...", "Options..."),
    ("M", 15, "", "reference the copied point", "map popup: add the copied point's name in braces to the comment, followed by its name",
     "Insérer un renvoi vers", "Insert a reference to"),
    ("M", 29, "", "about", "info button menu: about box",
     "À propos...", "About..."),
    ("M", 30, "", "add a point", "map popup: add a point here, followed by the database name",
     "Ajouter un point", "Add a point"),
    ("M", 31, "", "modify", "map popup, points tree popup, result list popup: modify the point",
     "Modifier", "Modify"),
    ("M", 32, "", "copy", "map popup and points tree popup: copy the point",
     "Copier", "Copy"),
    ("M", 33, "", "cut", "map popup, points tree popup, result list popup: cut the point",
     "Couper", "Cut"),
    ("M", 34, "", "collapse the tree", "points tree popup and search dialog popup: collapse every node",
     "Replier l'arbre", "Collapse the tree"),
    ("M", 36, "", "paste", "map popup: paste the copied point, followed by its name",
     "Coller", "Paste"),
    ("M", 39, "", "own points", "map popup: fixed item",
     "Mes points", "My points"),
    ("M", 40, "", "other points", "map popup: fixed item",
     "Autres points", "Other points"),
    ("M", 42, "", "insert reference", "point editor comment popup: put the selection or the copied name in braces",
     "Insérer un renvoi {...}", "Insert a reference {...}"),
    ("M", 43, "", "credits", "info button menu: about box on its credits page",
     "Crédits", "Credits"),
    ("M", 44, "", "continents", "map popup: continent submenu",
     "Continents", "Continents"),
    ("M", 50, "", "web sites", "info button menu: web links submenu",
     "Sites web", "Web sites"),
    ("M", 54, "", "clipboard", "point editor comment popup: followed by the copied point's name",
     "Presse-papiers :", "Clipboard:"),
    ("M", 55, "", "empty clipboard", "point editor comment popup: shown after the clipboard item when nothing is copied",
     "(vide)", "(empty)"),
    ("M", 57, "", "waypoints", "map popup: waypoint mode, followed by the count",
     "Points de passage", "Waypoints"),
    ("M", 58, "", "remove last waypoint", "map popup: remove the last waypoint",
     "Retirer le dernier point de passage", "Remove the last waypoint"),

    # ---- S: messages and feedback lines ----------------------------------------------------
    ("S", 1, "%1", "question: save additions before closing or changing database", "main window close and database menu (Yes/No/Cancel)",
     "Vos ajouts (%1) ne sont pas enregistrés.%%Voulez-vous les enregistrer ?",
     "Your additions (%1) are not saved.%%Do you want to save them?"),
    ("S", 4, "%1 %2", "additions saved, rejected lines dropped", "feedback line after saving the additions file",
     "%2 enregistré : %1 ligne(s) refusée(s) retirée(s) du fichier.",
     "%2 saved: %1 rejected line(s) removed from the file."),
    ("S", 5, "%1 %2", "additions saved", "feedback line after saving: folder and file name",
     "Ajouts enregistrés dans %1%2", "Additions saved to %1%2"),
    ("S", 6, "%1", "additions not written", "message box when the additions file cannot be written",
     "Impossible d'enregistrer le fichier d'ajouts %1.", "Could not save the additions file %1."),
    ("S", 8, "", "no point selected", "feedback line of the tree menu; message box of the result list menu",
     "Aucun point sélectionné.", "No point selected."),
    ("S", 9, "", "not a point", "feedback line of the tree menu on a continent, zone or category",
     "Sélectionnez un point, pas un continent, une zone ou une catégorie.",
     "Select a point, not a continent, zone or category."),
    ("S", 11, "", "point not found", "message box when a named point does not exist",
     "Point introuvable.", "Point not found."),
    ("S", 14, "", "restart needed", "update dialog closing: a replaced file needs a restart",
     "Certains fichiers mis à jour ne seront utilisés qu'au prochain démarrage.%%Veuillez redémarrer %0.",
     "Some updated files will only be used after a restart.%%Please restart %0."),
    ("S", 15, "", "no category", "message box when the database holds no category",
     "Aucune catégorie n'a pu être lue dans cette base de données.",
     "No category could be read from this database."),
    ("S", 17, "", "name missing", "point editor OK: empty or default name",
     "Donnez un nom au point.", "Please give the point a name."),
    ("S", 18, "", "bad character in name", "point editor OK: name holds #, | or @",
     "Le nom ne doit contenir aucun des caractères # | @.",
     "The name must not contain any of the characters # | @."),
    ("S", 21, "", "nothing to search", "feedback line when the search has no criterion",
     "Aucun critère de recherche.", "No search criterion."),
    ("S", 22, "", "settings not saved", "message box when pref.ini or catpref.bin cannot be written",
     "Impossible d'enregistrer les préférences.", "Could not save the preferences."),
    ("S", 24, "", "bad character in comment", "point editor OK: a comment line holds | or #",
     "Les infos ne doivent contenir ni « | » ni « # ».",
     "Notes must not contain \"|\" or \"#\"."),
    ("S", 27, "%1 %2", "sending failed", "sending dialog: file name and the error",
     "L'envoi de %1 a échoué :%%%2", "Sending %1 failed:%%%2"),
    ("S", 28, "%1", "additions file missing", "feedback line of the send command",
     "Fichier d'ajouts introuvable : %1", "Additions file not found: %1"),
    ("S", 29, "%1", "question: save additions before sending", "send command (Yes/No/Cancel)",
     "Vos ajouts (%1) ne sont pas enregistrés.%%Les enregistrer avant l'envoi ?",
     "Your additions (%1) are not saved.%%Save them before sending?"),
    ("S", 30, "%1 %2", "sending done", "sending dialog: product title and file name",
     "%1a bien envoyé %2.%%Merci pour votre contribution !",
     "%1has sent %2.%%Thank you for your contribution!"),
    ("S", 31, "%1", "additions file empty", "feedback line of the send command",
     "Le fichier %1 ne contient aucun ajout à envoyer.", "The file %1 holds no additions to send."),
    ("S", 32, "%1 %2", "question: open a web link", "links menu: product title and address (Yes/No/Cancel)",
     "%1va ouvrir cette page dans votre navigateur :%%%2%%Continuer ?",
     "%1will open this page in your browser:%%%2%%Continue?"),
    ("S", 34, "%1 %2", "question: newer version", "update dialog: version and page address (Yes/No/Cancel)",
     "Une nouvelle version (%1) est disponible.%%Ouvrir sa page ?%%%2",
     "A new version (%1) is available.%%Open its page?%%%2"),
    ("S", 35, "", "bad points data", "message box when the points data has a wrong signature",
     "Les données des points sont invalides.", "The points data is invalid."),
    ("S", 36, "%1", "character refused", "point editor: a typed character that comments may not hold",
     "Le caractère « %1 » n'est pas autorisé dans les infos.",
     "The character \"%1\" is not allowed in notes."),
    ("S", 37, "", "bad additions file", "message box when the additions file header is wrong",
     "Le fichier d'ajouts n'a pas le bon format ; il n'a pas été lu.",
     "The additions file has the wrong format; it was not read."),
    ("S", 38, "%1", "points not read", "message box when the points section cannot be read, with the file name",
     "Impossible de lire les points du fichier %1.", "Could not read the points from %1."),
    ("S", 44, "", "edit mode on", "feedback line when edit mode is switched on",
     "Mode édition : Maj + clic sur la carte pour ajouter ou modifier un point.",
     "Edit mode: Shift + click on the map to add or modify a point."),
    ("S", 45, "", "locked point refused", "message box: cut or modify a locked point",
     "Ce point est verrouillé : il ne peut pas être modifié ni coupé.",
     "This point is locked: it cannot be modified or cut."),
    ("S", 46, "", "category without levels", "point editor: colour swatch clicked while levels are off",
     "Cette catégorie n'a pas de niveaux.", "This category has no levels."),
    ("S", 47, "%1", "icons not loaded", "message box when an icon strip cannot be read, with the file name",
     "Impossible de charger les icônes %1.", "Could not load the icons %1."),
    ("S", 48, "%1", "question: save additions before updating", "update command (Yes/No/Cancel)",
     "Vos ajouts (%1) ne sont pas enregistrés.%%Les enregistrer avant la mise à jour ?",
     "Your additions (%1) are not saved.%%Save them before updating?"),
    ("S", 49, "", "waypoint too far", "feedback line when a waypoint is too far from the previous one",
     "Point de passage trop éloigné du précédent.", "Waypoint too far from the previous one."),
    ("S", 50, "", "route outside zone", "point editor: first waypoint not in the point's zone",
     "Le premier point de passage doit se trouver dans la zone du point.",
     "The first waypoint must lie in the point's zone."),
    ("S", 52, "", "zone images missing", "message box after loading a continent",
     "Des images de zones manquent.%%Utilisez le générateur de cartes pour les créer.",
     "Some zone images are missing.%%Use the map generator to make them."),
    ("S", 54, "", "point hidden by level filter", "result list menu: modify a point hidden by the level filter",
     "Ce point est masqué par le filtre de niveaux.", "This point is hidden by the level filter."),
    ("S", 58, "", "update folders not created", "update dialog: some folders could not be created",
     "Certains dossiers n'ont pas pu être créés ; leurs fichiers ne seront pas mis à jour.",
     "Some folders could not be created; their files will not be updated."),
    ("S", 59, "", "maps generated", "map generator: the run is finished",
     "Les cartes ont été générées.", "The maps have been generated."),
    ("S", 60, "", "generator errors", "map generator closing: error.log was written",
     "Des erreurs se sont produites ; voir le fichier error.log.",
     "Errors occurred; see the file error.log."),
    ("S", 61, "%1", "question: send a short file", "send command when the file has few lines (Yes/No/Cancel)",
     "Le fichier %1 contient très peu d'ajouts.%%L'envoyer quand même ?",
     "The file %1 holds very few additions.%%Send it anyway?"),
    ("S", 62, "", "no category chosen", "point editor OK without a category",
     "Choisissez une catégorie.", "Please choose a category."),
    ("S", 63, "%1", "question: save additions before preferences", "preferences command (Yes/No/Cancel)",
     "Vos ajouts (%1) ne sont pas enregistrés.%%Les enregistrer avant d'ouvrir les préférences ?",
     "Your additions (%1) are not saved.%%Save them before opening the preferences?"),
    ("S", 64, "%1 %2", "database loaded", "feedback line after a load: database name and description",
     "Base de données %1 chargée%%%2", "Database %1 loaded%%%2"),
    ("S", 65, "%1", "points changed", "feedback line after modifying all same-named points",
     "%1 points modifiés.", "%1 points changed."),
    ("S", 66, "%1 %2", "not the editable database", "feedback line: current and editable database names",
     "La base %1 n'est pas la base modifiable (%2).", "Database %1 is not the editable database (%2)."),
    ("S", 67, "", "editable database chosen", "preferences: mark as editable button",
     "La base sélectionnée recevra vos ajouts une fois les préférences validées.",
     "The selected database will receive your additions once the preferences are confirmed."),
    ("S", 68, "", "read-only database", "feedback line when the database may not be changed",
     "Cette base de données est en lecture seule.", "This database is read-only."),
    ("S", 69, "", "locked point warning", "message box before modifying a locked point",
     "Ce point est verrouillé : sa catégorie et ses liens ne peuvent pas changer.",
     "This point is locked: its category and links cannot change."),
    ("S", 70, "", "bridge to locked point", "point editor: bridge to a locked point refused",
     "Ce point est verrouillé : impossible d'y créer un pont.",
     "This point is locked: no bridge can be made to it."),
    ("S", 71, "", "question: replace link by bridge", "point editor: the other point already has a link (Yes/No/Cancel)",
     "Ce point a déjà un lien.%%Le remplacer par un pont ?",
     "This point already has a link.%%Replace it with a bridge?"),

    # ---- H: hints --------------------------------------------------------------------------
    ("H", 1, "", "labels", "main window toolbar: point labels on the map",
     "Étiquettes des points (l)", "Point labels (l)"),
    ("H", 2, "", "darken map", "main window toolbar: darken the map under the points",
     "Assombrir la carte (s)", "Darken the map (s)"),
    ("H", 3, "", "tips", "main window toolbar: tips panel",
     "Astuces (h)", "Tips (h)"),
    ("H", 4, "", "overview links", "main window toolbar: lines to the points named in comments",
     "Liens vers les points cités", "Links to the points named in notes"),
    ("H", 5, "", "database menu", "main window: picture that opens the database menu",
     "Choisir la base de données", "Choose the database"),
    ("H", 6, "", "search", "main window toolbar: search",
     "Rechercher (Ctrl+F)", "Search (Ctrl+F)"),
    ("H", 7, "", "save additions", "main window toolbar: save the additions",
     "Enregistrer les ajouts (Ctrl+S)", "Save the additions (Ctrl+S)"),
    ("H", 9, "", "stay on top", "main window toolbar: keep the window on top",
     "Toujours au premier plan", "Always on top"),
    ("H", 10, "", "about", "main window toolbar: about box, arrow for the info menu",
     "À propos", "About"),
    ("H", 11, "", "check updates", "main window toolbar: update check",
     "Rechercher les mises à jour", "Check for updates"),
    ("H", 12, "", "preferences", "main window toolbar: preferences, arrow for the database menu",
     "Préférences", "Preferences"),
    ("H", 13, "", "edit mode", "main window toolbar: edit mode",
     "Mode édition", "Edit mode"),
    ("H", 14, "", "map generator", "main window toolbar: map image generator",
     "Générateur de cartes", "Map generator"),
    ("H", 16, "", "send additions", "main window toolbar: send the additions",
     "Envoyer les ajouts", "Send the additions"),
    ("H", 20, "", "map page", "main window toolbar: side panel page with zoom, level filter and regions",
     "Zoom, niveaux et régions (F1)", "Zoom, levels and regions (F1)"),
    ("H", 22, "", "results page", "main window toolbar: side panel page with the search results",
     "Résultats de la recherche (F3)", "Search results (F3)"),
    ("H", 23, "", "tree page", "main window toolbar: side panel page with the points tree",
     "Arbre des points (F4)", "Points tree (F4)"),
    ("H", 28, "", "routes", "main window toolbar: draw the routes",
     "Trajets", "Routes"),

    # ---- A: about texts (not shown by any window yet) ---------------------------------------
    ("A", 1, "", "product line", "about texts: reserved",
     "Vev Karvelo v1.06", "Vev Karvelo v1.06"),
    ("A", 2, "", "product description", "about texts: reserved",
     "Compagnon cartographique pour le jeu en ligne.", "Map companion for the online game."),
    ("A", 3, "", "credit line", "about texts: reserved",
     "Merci à tous les contributeurs des bases de données.", "Thanks to every contributor of the databases."),
]

# Category descriptions by category id; a database brings its own categories, so these
# stand in until its descriptions are written.
TYPE_COUNT = 16
for _id in range(1, TYPE_COUNT + 1):
    TEXTS.append(("T", _id, "", "category description",
                  "point editor: description of the category with id %d" % _id,
                  "Aucune description pour cette catégorie.",
                  "No description for this category."))

LINKS = {
    "Francais": [
        "# Liens (libellé=adresse)",
        "Site officiel du jeu=https://www.example.com/",
        "Page du projet Vev Karvelo=https://www.example.org/vevkarvelo/",
    ],
    "English": [
        "# Links (caption=address)",
        "Official game site=https://www.example.com/",
        "Vev Karvelo project page=https://www.example.org/vevkarvelo/",
    ],
}

TIPS = {
    "Francais": [
        "Astuces",
        "Molette : zoom avant et arrière ; cliquer-glisser : déplacer la carte.",
        "+ et - : zoom sur le centre de la vue.",
        "Double-clic ou z sur une zone : vue rapprochée ; m : toute la zone.",
        "l : étiquettes, s : assombrir la carte, a : masquer les points.",
        "f : revenir au point sélectionné ; Échap : annuler la sélection.",
        "Ctrl + clic : aller à la région sous la souris.",
        "Ctrl+F : chercher un point par son nom, ses infos ou ses propriétés.",
        "F1, F3, F4 : pages du panneau latéral (carte, résultats, arbre).",
        "Mode édition : Maj + clic sur la carte pour ajouter ou modifier un point.",
        "Ctrl+C, Ctrl+X, Ctrl+V : copier, couper, coller un point (mode édition).",
        "Ctrl+S : enregistrer vos ajouts, puis envoyez-les aux auteurs de la base.",
        "h : masquer ces astuces.",
    ],
    "English": [
        "Tips",
        "Mouse wheel: zoom in and out; click and drag: move the map.",
        "+ and -: zoom about the centre of the view.",
        "Double click or z on a zone: close view; m: the whole zone.",
        "l: labels, s: darken the map, a: hide the points.",
        "f: back to the selected point; Esc: clear the selection.",
        "Ctrl + click: go to the region under the mouse.",
        "Ctrl+F: find a point by its name, notes or properties.",
        "F1, F3, F4: side panel pages (map, results, tree).",
        "Edit mode: Shift + click on the map to add or modify a point.",
        "Ctrl+C, Ctrl+X, Ctrl+V: copy, cut, paste a point (edit mode).",
        "Ctrl+S: save your additions, then send them to the database's authors.",
        "h: hide these tips.",
    ],
}

# Only the first line of each welcome.txt is shown; "%%" is a line break.
WELCOME = {
    "Francais": [
        "Bienvenue dans Vev Karvelo !%%%%Choisissez la langue de l'interface et la base de "
        "données que vous souhaitez utiliser.",
    ],
    "English": [
        "Welcome to Vev Karvelo!%%%%Please choose the interface language and the database you "
        "wish to use.",
    ],
}

PLACEHOLDER = re.compile(r"%[12]")


def check_texts():
    """Refuses duplicates, unencodable characters and placeholders that differ from the index."""
    seen = set()
    for sec, num, args, meaning, where, fr, en in TEXTS:
        key = (sec, num)
        if key in seen:
            sys.exit("duplicate text %s%d" % key)
        seen.add(key)
        if sec not in dict(SECTIONS) or num < 1 or num > 999:
            sys.exit("bad text number %s%d" % key)
        want = sorted(args.split())
        for text in (fr, en):
            if not text.strip() or text != text.strip():
                sys.exit("empty or padded text %s%d" % key)
            if sorted(set(PLACEHOLDER.findall(text))) != want:
                sys.exit("%s%d: placeholders differ from %r in %r" % (sec, num, args, text))
            text.encode("cp1252")
        if "\t" in meaning + where:
            sys.exit("tab in the index of %s%d" % key)


def section_lines(language):
    column = LANGUAGES.index(language)
    lines = [
        "# Vev Karvelo - %s" % language,
        "# A line's first letter is its section; the 3 characters after it are not read;",
        "# the text starts at the 5th character. The k-th line of a section is text k.",
        "# %% = line break, %0 = product title, %1 and %2 = arguments.",
    ]
    for sec, title in SECTIONS:
        texts = {num: (fr, en)[column] for s, num, _, _, _, fr, en in TEXTS if s == sec}
        lines.append("")
        lines.append("# ---- %s: %s" % (sec, title))
        for num in range(1, max(texts) + 1):
            lines.append("%s%03d %s" % (sec, num, texts.get(num, FILLER)))
    return lines


def index_lines():
    lines = ["section\tnumber\targuments\tmeaning\twhere_used"]
    order = {sec: i for i, (sec, _) in enumerate(SECTIONS)}
    for sec, num, args, meaning, where, _, _ in sorted(TEXTS, key=lambda t: (order[t[0]], t[1])):
        lines.append("\t".join((sec, str(num), args, meaning, where)))
    return lines


def write_cp1252(path, lines):
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def main():
    check_texts()
    for language in LANGUAGES:
        folder = os.path.join(RES, language)
        write_cp1252(os.path.join(folder, "ressource.txt"), section_lines(language))
        write_cp1252(os.path.join(folder, "link.txt"), LINKS[language])
        write_cp1252(os.path.join(folder, "tips.txt"), TIPS[language])
        write_cp1252(os.path.join(folder, "welcome.txt"), WELCOME[language])
    with open(os.path.join(RES, "text_numbers.tsv"), "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(index_lines()) + "\n")


if __name__ == "__main__":
    main()
