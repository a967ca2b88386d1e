#!/usr/bin/env python3
"""Writes the twelve language skins skin/Orvana/Orvana_<Language>.xml.

All skins share one layout (the template below); a language only brings its
texts and the few sizes that make its longer texts fit. The image rectangles
come from tools/draw_skin_images.py, which draws the sprite sheets, so the
documents and the images cannot drift apart.

The shipped skins keep two rows hidden: the photo, record and open-folder
buttons in the bottom bar, and the microphone and speaker sliders in the
right-hand panel. With --all-rows the same twelve documents are written with
those rows shown, for OrvanaFull.exe (built from them at build time, never
committed); to make room for the two slider rows, the panel starts higher
and the four format lists sit closer together (ALL_ROWS_LAYOUT).

On a screen lower than the window (1366 x 768, or 1280 x 720 at 150 %, less a
taskbar) the program opens the window as high as the work area; the panel's
rows then give way down to their minimum heights (ROW_MIN), and where even
those do not fit the panel scrolls. At the window's own size nothing moves.

Usage: make_skins.py [SKIN_DIR]              (default: <repo>/skin)
       make_skins.py --all-rows SKIN_DIR     (the all-rows variant)
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_skin_images import PROPERTIES, SPRITES, sprite_image  # noqa: E402

FACE = "微软雅黑"
BLUE = "0xFF00A8E2"
BLACK = "0xFF000000"
WHITE = "0xFFFFFFFF"

# Sizes of the shared fonts 0..6 in the English layout.
BASE_FONTS = [32, 25, 20, 17, 15, 21, 20]
F_NAME = 6    # property names, captions, buttons
F_SMALL = 3   # the lines of a two-line name, the version text
F_VALUE = 4   # value labels
F_TIME = 2    # recording time
F_ITEMS = 1   # camera list entries
# Format list entries: the longest resolution texts ("33.18MP 16:9 (7680 x 4320)")
# fit the closed list and its drop-down at this size; font 1 cut them.
F_FORMATS = 3

ROLES = ["heading", "brightness", "contrasts", "saturations", "sharpness", "hue",
         "whitebalance", "zoom", "focus", "mirror", "normal", "mirrored", "photo", "video",
         "format", "refresh", "default", "cancel", "apply"]

# One column per role above; a tuple is a name shown on two lines.
TEXTS = {
    "English": ["Auto", "Brightness", "Contrasts", "Saturations", "Sharpness", "Hue",
                "White Balance", "Zoom", "Focus", "Image Orientation", "Normal", "Mirrored",
                "Photo Resolution", "Video Resolution", "File Format", "Refresh Rate",
                "Default", "Cancel", "Apply"],
    "German": ["Auto", "Helligkeit", "Kontrast", "Sättigungen", "Schärfe", "Farbton",
               "Weißabgleich", "Zoomen", "Fokus", "Bildorientierung", "Normal", "Gespiegelt",
               "Fotoauflösung", "Video Auflösung", "Datei Format", "Aktualisierungsrate",
               "Standard", "Stornieren", "Anwenden"],
    "French": ["Auto", "Luminosité", "Contraste", "Les saturations", "Acuité", "Teinte",
               ("Balance des", "blancs"), "Zoom", "Focus", ("Orientation", "de l'image"),
               "Ordinaire", "Miroir", "Résolution photo", "Résolution vidéo",
               "Format de fichier", "Fréquence de rafraîchissement", "Défaut", "Annuler",
               "Appliquer"],
    "Spanish": ["Auto", "Brillo", "Contraste", "Saturaciones", "Nitidez", "Matiz",
                ("Balance de ", "blancos"), "Enfocar", "Atención",
                ("Orientación de ", "la imagen"), "Normal", "Gespiegelt",
                ("Resolución de ", "la foto"), ("Resolución de ", "de video"),
                ("Formato de ", "archivo"), ("Frecuencia de ", "actualización"), "Defecto",
                "Cancelar", "Aplicar"],
    "Italian": ["Auto", "Luminosità", "Contrasto", "Saturazioni", "Nitidezza", "Hue",
                ("Bilanciamento ", "del bianco"), "Ingrandisci", ("Messa a", "fuoco"),
                ("Orientamento", "dell'immagine"), "Normale", "Rispecchiato",
                "Risoluzione foto", "Risoluzione video", "Formato del file",
                ("Frequenza di", "aggiornamento"), "Predefinito", "Annulla", "Applicare"],
    "Portuguese": ["Auto", "Brilho", "Contrastes", "Saturações", "Nitidez", "Matiz",
                   ("Balanço de ", "Branco"), "Ampliação", "Foco", ("Orientação da ", "imagem"),
                   "Normal", "Espelhado", ("Resolução da ", "foto"), ("Resolução de ", "vídeo"),
                   ("Formato de ", "arquivo"), ("Taxa de ", "atualização"), "Padrão",
                   "Cancelar", "Aplique"],
    "Russian": ["Авто", "Яркость", "Контрасты", "Насыщенности", "Четкость", "Оттенок",
                "Баланс белого", "Увеличить", "Фокус", "Ориентация изображения", "Нормальный",
                "Зеркальный", "Разрешение фото", "Разрешение видео", "Формат файла",
                "Частота обновления", "По умолчанию", "Отмена", "Подать заявление"],
    "Arabic": ["آلي", "سطوع", "التباين", "إشباع", "حدة", "مسحة", "توازن اللون الأبيض", "تكبير",
               "ركز", "اتجاه الصورة", "عادي", "معكوسة", "دقة الصورة", "دقة الفيديو",
               "تنسيق الملف", "معدل التحديث", "إفتراضي", "إلغاء", "تطبيق"],
    "Japanese": ["自動", "輝度", "コントラスト", "飽和", "シャープネス", "色相", "ホワイトバランス",
                 "ズーム", "フォーカス", "画像の向き", "正常", "ミラーリング", "写真解像度",
                 "ビデオ解像度", "ファイルフォーマット", "リフレッシュレート", "デフォルト",
                 "キャンセル", "適用する"],
    "Korean": ["자동", "명도", "대조", "채도", "날카로움", "색조", "화이트 밸런스", "줌", "초점",
               "이미지 방향", "표준", "미러링 됨", "사진 해상도", "비디오 해상도", "파일 형식",
               "재생률", "기본", "취소", "대다"],
    "Simplified": ["自动", "亮度", "对比度", "饱和度", "清晰度", "色调", "白平衡", "放大", "焦距",
                   "影像方向", "正常", "镜像", "照片分辨率", "视频分辨率", "文件格式", "刷新率",
                   "默认", "取消", "应用"],
    "Traditional": ["自動", "亮度", "對比度", "飽和度", "清晰度", "色調", "白平衡", "放大", "焦距",
                    "影像方向", "正常", "鏡像", "照片解析度", "視頻解析度", "檔案格式", "刷新率",
                    "默認", "取消", "應用"],
}

# Notices the program shows, by key: on the preview's black ground while the camera gives no
# picture, or on one line in the bottom bar while the picture is shown. "{why}", "{file}" and
# "{minutes}" are filled in by the program ({why} with one of the "why_" texts). Each skin carries them
# as hidden labels "id_text_<key>" (notice_texts below) that the program reads by name.
NOTICES = {
    "camera_in_use": {
        "English": "The camera is in use by another program. Close the other program.",
        "German": "Die Kamera wird von einem anderen Programm verwendet. Schließen Sie das "
                  "andere Programm.",
        "French": "La caméra est utilisée par un autre programme. Fermez l'autre programme.",
        "Spanish": "La cámara está en uso por otro programa. Cierre el otro programa.",
        "Italian": "La fotocamera è usata da un altro programma. Chiudi l'altro programma.",
        "Portuguese": "A câmera está sendo usada por outro programa. Feche o outro programa.",
        "Russian": "Камера используется другой программой. Закройте другую программу.",
        "Arabic": "الكاميرا قيد الاستخدام من قبل برنامج آخر. أغلق البرنامج الآخر.",
        "Japanese": "カメラは他のプログラムで使用中です。そのプログラムを閉じてください。",
        "Korean": "다른 프로그램이 카메라를 사용 중입니다. 다른 프로그램을 닫으십시오.",
        "Simplified": "摄像头正被其他程序使用。请关闭该程序。",
        "Traditional": "攝影機正被其他程式使用。請關閉該程式。",
    },
    "camera_denied": {
        "English": "Camera access is denied. Allow camera access in the Windows privacy "
                   "settings.",
        "German": "Der Kamerazugriff wird verweigert. Erlauben Sie den Kamerazugriff in den "
                  "Datenschutzeinstellungen von Windows.",
        "French": "L'accès à la caméra est refusé. Autorisez l'accès à la caméra dans les "
                  "paramètres de confidentialité de Windows.",
        "Spanish": "El acceso a la cámara está denegado. Permita el acceso a la cámara en la "
                   "configuración de privacidad de Windows.",
        "Italian": "L'accesso alla fotocamera è negato. Consenti l'accesso alla fotocamera "
                   "nelle impostazioni di privacy di Windows.",
        "Portuguese": "O acesso à câmera foi negado. Permita o acesso à câmera nas "
                      "configurações de privacidade do Windows.",
        "Russian": "Доступ к камере запрещён. Разрешите доступ к камере в параметрах "
                   "конфиденциальности Windows.",
        "Arabic": "تم رفض الوصول إلى الكاميرا. اسمح بالوصول إلى الكاميرا في إعدادات الخصوصية "
                  "في Windows.",
        "Japanese": "カメラへのアクセスが拒否されました。Windows のプライバシー設定でカメラへの"
                    "アクセスを許可してください。",
        "Korean": "카메라 액세스가 거부되었습니다. Windows 개인 정보 설정에서 카메라 액세스를 "
                  "허용하십시오.",
        "Simplified": "摄像头访问被拒绝。请在 Windows 隐私设置中允许访问摄像头。",
        "Traditional": "攝影機存取遭拒。請在 Windows 隱私權設定中允許存取攝影機。",
    },
    "camera_no_picture": {
        "English": "The camera sends no picture. Trying again...",
        "German": "Die Kamera liefert kein Bild. Neuer Versuch...",
        "French": "La caméra n'envoie aucune image. Nouvel essai...",
        "Spanish": "La cámara no envía ninguna imagen. Reintentando...",
        "Italian": "La fotocamera non invia immagini. Nuovo tentativo...",
        "Portuguese": "A câmera não envia imagem. Tentando novamente...",
        "Russian": "Камера не передаёт изображение. Повторная попытка...",
        "Arabic": "الكاميرا لا ترسل أي صورة. جارٍ إعادة المحاولة...",
        "Japanese": "カメラから映像が届きません。再試行しています...",
        "Korean": "카메라에서 영상이 오지 않습니다. 다시 시도하는 중...",
        "Simplified": "摄像头没有发送图像。正在重试...",
        "Traditional": "攝影機沒有傳送影像。正在重試...",
    },
    "camera_not_started": {
        "English": "The camera could not be started. Trying again...",
        "German": "Die Kamera konnte nicht gestartet werden. Neuer Versuch...",
        "French": "La caméra n'a pas pu démarrer. Nouvel essai...",
        "Spanish": "No se pudo iniciar la cámara. Reintentando...",
        "Italian": "Impossibile avviare la fotocamera. Nuovo tentativo...",
        "Portuguese": "Não foi possível iniciar a câmera. Tentando novamente...",
        "Russian": "Не удалось запустить камеру. Повторная попытка...",
        "Arabic": "تعذر تشغيل الكاميرا. جارٍ إعادة المحاولة...",
        "Japanese": "カメラを起動できませんでした。再試行しています...",
        "Korean": "카메라를 시작할 수 없습니다. 다시 시도하는 중...",
        "Simplified": "无法启动摄像头。正在重试...",
        "Traditional": "無法啟動攝影機。正在重試...",
    },
    "camera_starting": {
        "English": "Starting the camera...",
        "German": "Die Kamera wird gestartet...",
        "French": "Démarrage de la caméra...",
        "Spanish": "Iniciando la cámara...",
        "Italian": "Avvio della fotocamera...",
        "Portuguese": "Iniciando a câmera...",
        "Russian": "Запуск камеры...",
        "Arabic": "جارٍ تشغيل الكاميرا...",
        "Japanese": "カメラを起動しています...",
        "Korean": "카메라를 시작하는 중...",
        "Simplified": "正在启动摄像头...",
        "Traditional": "正在啟動攝影機...",
    },
    "settings_not_saved": {
        "English": "The settings could not be saved.",
        "French": "Les réglages n'ont pas pu être enregistrés.",
        "German": "Die Einstellungen konnten nicht gespeichert werden.",
        "Spanish": "No se pudo guardar la configuración.",
        "Arabic": "تعذّر حفظ الإعدادات.",
        "Korean": "설정을 저장할 수 없습니다.",
        "Russian": "Не удалось сохранить настройки.",
        "Japanese": "設定を保存できませんでした。",
        "Simplified": "无法保存设置。",
        "Traditional": "無法儲存設定。",
        "Portuguese": "Não foi possível guardar as definições.",
        "Italian": "Impossibile salvare le impostazioni.",
    },
    "recording_continues": {
        "English": "Recording continues in a new file: the drive's file size limit was reached.",
        "German": "Die Aufnahme wird in einer neuen Datei fortgesetzt: Die maximale Dateigröße des Laufwerks ist erreicht.",
        "French": "L'enregistrement continue dans un nouveau fichier : la taille maximale de fichier du lecteur est atteinte.",
        "Spanish": "La grabación continúa en un archivo nuevo: se alcanzó el tamaño máximo de archivo de la unidad.",
        "Italian": "La registrazione continua in un nuovo file: è stata raggiunta la dimensione massima dei file dell'unità.",
        "Portuguese": "A gravação continua em um novo arquivo: o tamanho máximo de arquivo da unidade foi atingido.",
        "Russian": "Запись продолжается в новом файле: достигнут предельный размер файла для этого диска.",
        "Arabic": "يستمر التسجيل في ملف جديد: تم بلوغ الحد الأقصى لحجم الملف على محرك الأقراص.",
        "Japanese": "ドライブのファイルサイズ上限に達したため、新しいファイルで録画を続けています。",
        "Korean": "드라이브의 파일 크기 제한에 도달하여 새 파일에 녹화를 계속합니다.",
        "Simplified": "已达到驱动器的文件大小上限，录制将在新文件中继续。",
        "Traditional": "已達到磁碟機的檔案大小上限，錄影將在新檔案中繼續。",
    },
    "no_sound_denied": {
        "English": "No sound: microphone access is denied. Allow it in Windows privacy settings.",
        "German": "Kein Ton: Der Zugriff auf das Mikrofon ist verweigert. Erlauben Sie ihn in den Datenschutzeinstellungen von Windows.",
        "French": "Pas de son : l'accès au microphone est refusé. Autorisez-le dans les paramètres de confidentialité de Windows.",
        "Spanish": "Sin sonido: se ha denegado el acceso al micrófono. Permítalo en la configuración de privacidad de Windows.",
        "Italian": "Nessun audio: l'accesso al microfono è negato. Consentilo nelle impostazioni di privacy di Windows.",
        "Portuguese": "Sem som: o acesso ao microfone foi negado. Permita-o nas configurações de privacidade do Windows.",
        "Russian": "Нет звука: доступ к микрофону запрещён. Разрешите его в параметрах конфиденциальности Windows.",
        "Arabic": "لا يوجد صوت: تم رفض الوصول إلى الميكروفون. اسمح به في إعدادات الخصوصية في Windows.",
        "Japanese": "音声なし: マイクへのアクセスが拒否されています。Windows のプライバシー設定で許可してください。",
        "Korean": "소리 없음: 마이크 액세스가 거부되었습니다. Windows 개인 정보 설정에서 허용하세요.",
        "Simplified": "无声音：麦克风访问被拒绝。请在 Windows 隐私设置中允许访问。",
        "Traditional": "無聲音：麥克風存取被拒絕。請在 Windows 隱私權設定中允許存取。",
    },
    "no_sound_in_use": {
        "English": "No sound: another program is using the microphone. Close it and record again.",
        "German": "Kein Ton: Ein anderes Programm verwendet das Mikrofon. Schließen Sie es und nehmen Sie erneut auf.",
        "French": "Pas de son : un autre programme utilise le microphone. Fermez-le et enregistrez à nouveau.",
        "Spanish": "Sin sonido: otro programa está usando el micrófono. Ciérrelo y vuelva a grabar.",
        "Italian": "Nessun audio: un altro programma sta usando il microfono. Chiudilo e registra di nuovo.",
        "Portuguese": "Sem som: outro programa está usando o microfone. Feche-o e grave novamente.",
        "Russian": "Нет звука: микрофон занят другой программой. Закройте её и начните запись снова.",
        "Arabic": "لا يوجد صوت: برنامج آخر يستخدم الميكروفون. أغلقه وابدأ التسجيل من جديد.",
        "Japanese": "音声なし: 別のプログラムがマイクを使用中です。そのプログラムを閉じてから録画し直してください。",
        "Korean": "소리 없음: 다른 프로그램이 마이크를 사용 중입니다. 그 프로그램을 닫고 다시 녹화하세요.",
        "Simplified": "无声音：麦克风正被其他程序使用。请关闭该程序后重新录制。",
        "Traditional": "無聲音：麥克風正被其他程式使用。請關閉該程式後重新錄製。",
    },
    "no_sound_lost": {
        "English": "No sound: the microphone was disconnected.",
        "German": "Kein Ton: Das Mikrofon wurde getrennt.",
        "French": "Pas de son : le microphone a été déconnecté.",
        "Spanish": "Sin sonido: el micrófono se ha desconectado.",
        "Italian": "Nessun audio: il microfono è stato scollegato.",
        "Portuguese": "Sem som: o microfone foi desconectado.",
        "Russian": "Нет звука: микрофон отключён.",
        "Arabic": "لا يوجد صوت: تم فصل الميكروفون.",
        "Japanese": "音声なし: マイクが取り外されました。",
        "Korean": "소리 없음: 마이크 연결이 끊어졌습니다.",
        "Simplified": "无声音：麦克风已断开连接。",
        "Traditional": "無聲音：麥克風已中斷連線。",
    },
    "no_sound_failed": {
        "English": "No sound: the microphone could not be started.",
        "German": "Kein Ton: Das Mikrofon konnte nicht gestartet werden.",
        "French": "Pas de son : le microphone n'a pas pu démarrer.",
        "Spanish": "Sin sonido: no se pudo iniciar el micrófono.",
        "Italian": "Nessun audio: impossibile avviare il microfono.",
        "Portuguese": "Sem som: não foi possível iniciar o microfone.",
        "Russian": "Нет звука: не удалось запустить микрофон.",
        "Arabic": "لا يوجد صوت: تعذّر تشغيل الميكروفون.",
        "Japanese": "音声なし: マイクを開始できませんでした。",
        "Korean": "소리 없음: 마이크를 시작할 수 없습니다.",
        "Simplified": "无声音：无法启动麦克风。",
        "Traditional": "無聲音：無法啟動麥克風。",
    },
    "photo_saved": {
        "English": "Photo saved: {file}",
        "German": "Foto gespeichert: {file}",
        "French": "Photo enregistrée : {file}",
        "Spanish": "Foto guardada: {file}",
        "Italian": "Foto salvata: {file}",
        "Portuguese": "Foto salva: {file}",
        "Russian": "Фото сохранено: {file}",
        "Arabic": "تم حفظ الصورة: {file}",
        "Japanese": "写真を保存しました: {file}",
        "Korean": "사진이 저장되었습니다: {file}",
        "Simplified": "照片已保存：{file}",
        "Traditional": "相片已儲存：{file}",
    },
    "photo_not_saved": {
        "English": "Photo not saved: {why}",
        "German": "Foto nicht gespeichert: {why}",
        "French": "Photo non enregistrée : {why}",
        "Spanish": "Foto no guardada: {why}",
        "Italian": "Foto non salvata: {why}",
        "Portuguese": "Foto não salva: {why}",
        "Russian": "Фото не сохранено: {why}",
        "Arabic": "لم يتم حفظ الصورة: {why}",
        "Japanese": "写真を保存できませんでした: {why}",
        "Korean": "사진을 저장하지 못했습니다: {why}",
        "Simplified": "照片未保存：{why}",
        "Traditional": "相片未儲存：{why}",
    },
    "recording_not_started": {
        "English": "Recording not started: {why}",
        "German": "Aufnahme nicht gestartet: {why}",
        "French": "Enregistrement non démarré : {why}",
        "Spanish": "La grabación no se inició: {why}",
        "Italian": "Registrazione non avviata: {why}",
        "Portuguese": "Gravação não iniciada: {why}",
        "Russian": "Запись не начата: {why}",
        "Arabic": "لم يبدأ التسجيل: {why}",
        "Japanese": "録画を開始できませんでした: {why}",
        "Korean": "녹화를 시작하지 못했습니다: {why}",
        "Simplified": "录制未开始：{why}",
        "Traditional": "錄影未開始：{why}",
    },
    "recording_stopped": {
        "English": "Recording stopped: {why}",
        "German": "Aufnahme beendet: {why}",
        "French": "Enregistrement arrêté : {why}",
        "Spanish": "Grabación detenida: {why}",
        "Italian": "Registrazione interrotta: {why}",
        "Portuguese": "Gravação interrompida: {why}",
        "Russian": "Запись остановлена: {why}",
        "Arabic": "توقف التسجيل: {why}",
        "Japanese": "録画が停止しました: {why}",
        "Korean": "녹화가 중지되었습니다: {why}",
        "Simplified": "录制已停止：{why}",
        "Traditional": "錄影已停止：{why}",
    },
    "folder_not_opened": {
        "English": "Folder not opened: {why}",
        "German": "Ordner nicht geöffnet: {why}",
        "French": "Dossier non ouvert : {why}",
        "Spanish": "No se abrió la carpeta: {why}",
        "Italian": "Cartella non aperta: {why}",
        "Portuguese": "Pasta não aberta: {why}",
        "Russian": "Папка не открыта: {why}",
        "Arabic": "لم يتم فتح المجلد: {why}",
        "Japanese": "フォルダーを開けませんでした: {why}",
        "Korean": "폴더를 열지 못했습니다: {why}",
        "Simplified": "未能打开文件夹：{why}",
        "Traditional": "無法開啟資料夾：{why}",
    },
    "disk_minutes_left": {
        "English": "Disk space left for about {minutes} min of recording.",
        "German": "Der Speicherplatz reicht noch für etwa {minutes} Min. Aufnahme.",
        "French": "Espace disque restant pour environ {minutes} min d'enregistrement.",
        "Spanish": "Queda espacio en disco para unos {minutes} min de grabación.",
        "Italian": "Spazio su disco sufficiente per circa {minutes} min di registrazione.",
        "Portuguese": "Espaço em disco para cerca de {minutes} min de gravação.",
        "Russian": "Места на диске осталось примерно на {minutes} мин записи.",
        "Arabic": "المساحة المتبقية على القرص تكفي لحوالي {minutes} دقيقة من التسجيل.",
        "Japanese": "ディスクの空き容量は録画あと約 {minutes} 分です。",
        "Korean": "디스크 공간이 약 {minutes}분 녹화할 만큼 남았습니다.",
        "Simplified": "磁盘剩余空间约可再录制 {minutes} 分钟。",
        "Traditional": "磁碟剩餘空間約可再錄影 {minutes} 分鐘。",
    },
    "why_folder_denied": {
        "English": "Windows denies access to the folder. Allow Orvana under Controlled folder access in Windows Security.",
        "German": "Windows verweigert den Zugriff auf den Ordner. Erlauben Sie Orvana unter „Überwachter Ordnerzugriff“ in der Windows-Sicherheit.",
        "French": "Windows refuse l'accès au dossier. Autorisez Orvana dans « Accès contrôlé aux dossiers » de Sécurité Windows.",
        "Spanish": "Windows deniega el acceso a la carpeta. Permita Orvana en «Acceso controlado a carpetas» de Seguridad de Windows.",
        "Italian": "Windows nega l'accesso alla cartella. Consenti Orvana in «Accesso alle cartelle controllato» di Sicurezza di Windows.",
        "Portuguese": "O Windows nega o acesso à pasta. Permita o Orvana em «Acesso controlado a pastas» na Segurança do Windows.",
        "Russian": "Windows запрещает доступ к папке. Разрешите Orvana в разделе «Контролируемый доступ к папкам» Безопасности Windows.",
        "Arabic": "يرفض Windows الوصول إلى المجلد. اسمح لـ Orvana في «الوصول المتحكم به إلى المجلدات» في أمن Windows.",
        "Japanese": "Windows がフォルダーへのアクセスを拒否しています。Windows セキュリティの「コントロールされたフォルダー アクセス」で Orvana を許可してください。",
        "Korean": "Windows가 폴더 액세스를 거부했습니다. Windows 보안의 '제어된 폴더 액세스'에서 Orvana를 허용하세요.",
        "Simplified": "Windows 拒绝访问该文件夹。请在 Windows 安全中心的“受控文件夹访问”中允许 Orvana。",
        "Traditional": "Windows 拒絕存取該資料夾。請在 Windows 安全性的「受控資料夾存取權」中允許 Orvana。",
    },
    "why_folder_unreachable": {
        "English": "the folder cannot be found or made. Its drive or network share may be gone.",
        "German": "Der Ordner ist nicht erreichbar und kann nicht angelegt werden. Vielleicht ist das Laufwerk oder die Netzwerkfreigabe getrennt.",
        "French": "le dossier est introuvable et ne peut pas être créé. Le lecteur ou le partage réseau est peut-être déconnecté.",
        "Spanish": "no se encuentra la carpeta ni se puede crear. Puede que la unidad o el recurso de red esté desconectado.",
        "Italian": "la cartella non si trova e non può essere creata. L'unità o la condivisione di rete potrebbe essere scollegata.",
        "Portuguese": "a pasta não foi encontrada nem pode ser criada. A unidade ou o compartilhamento de rede pode estar desconectado.",
        "Russian": "папка не найдена и не может быть создана. Возможно, отключён диск или сетевая папка.",
        "Arabic": "تعذر العثور على المجلد أو إنشاؤه. ربما تم فصل محرك الأقراص أو مشاركة الشبكة.",
        "Japanese": "フォルダーが見つからず、作成もできません。ドライブやネットワーク共有が切断されている可能性があります。",
        "Korean": "폴더를 찾거나 만들 수 없습니다. 드라이브나 네트워크 공유의 연결이 끊어졌는지 확인하세요.",
        "Simplified": "找不到文件夹，也无法创建。驱动器或网络共享可能已断开。",
        "Traditional": "找不到資料夾，也無法建立。磁碟機或網路共用可能已中斷。",
    },
    "why_disk_full": {
        "English": "the disk is full. Free some space.",
        "German": "Der Datenträger ist voll. Geben Sie Speicherplatz frei.",
        "French": "le disque est plein. Libérez de l'espace.",
        "Spanish": "el disco está lleno. Libere espacio.",
        "Italian": "il disco è pieno. Libera spazio.",
        "Portuguese": "o disco está cheio. Libere espaço.",
        "Russian": "диск заполнен. Освободите место.",
        "Arabic": "القرص ممتلئ. قم بتحرير بعض المساحة.",
        "Japanese": "ディスクがいっぱいです。空き容量を増やしてください。",
        "Korean": "디스크가 가득 찼습니다. 공간을 확보하세요.",
        "Simplified": "磁盘已满。请释放一些空间。",
        "Traditional": "磁碟已滿。請釋放一些空間。",
    },
    "why_no_free_name": {
        "English": "every file name for this second is taken. Try again in a moment.",
        "German": "Alle Dateinamen für diese Sekunde sind vergeben. Versuchen Sie es gleich noch einmal.",
        "French": "tous les noms de fichier de cette seconde sont pris. Réessayez dans un instant.",
        "Spanish": "todos los nombres de archivo de este segundo están ocupados. Inténtelo de nuevo en un momento.",
        "Italian": "tutti i nomi di file di questo secondo sono occupati. Riprova tra un momento.",
        "Portuguese": "todos os nomes de arquivo deste segundo estão em uso. Tente novamente em instantes.",
        "Russian": "все имена файлов для этой секунды заняты. Повторите попытку через мгновение.",
        "Arabic": "جميع أسماء الملفات لهذه الثانية مستخدمة. أعد المحاولة بعد لحظة.",
        "Japanese": "この秒のファイル名はすべて使用済みです。少し待ってからやり直してください。",
        "Korean": "이 시각의 파일 이름이 모두 사용 중입니다. 잠시 후 다시 시도하세요.",
        "Simplified": "这一秒的文件名已全部被占用。请稍后重试。",
        "Traditional": "這一秒的檔案名稱已全部被占用。請稍後重試。",
    },
    "why_write_failed": {
        "English": "the file could not be written. The drive may no longer be connected.",
        "German": "Die Datei konnte nicht geschrieben werden. Vielleicht ist das Laufwerk nicht mehr verbunden.",
        "French": "le fichier n'a pas pu être écrit. Le lecteur n'est peut-être plus connecté.",
        "Spanish": "no se pudo escribir el archivo. Puede que la unidad ya no esté conectada.",
        "Italian": "impossibile scrivere il file. L'unità potrebbe non essere più collegata.",
        "Portuguese": "não foi possível gravar o arquivo. A unidade pode não estar mais conectada.",
        "Russian": "не удалось записать файл. Возможно, диск больше не подключён.",
        "Arabic": "تعذرت كتابة الملف. ربما لم يعد محرك الأقراص متصلاً.",
        "Japanese": "ファイルを書き込めませんでした。ドライブが接続されていない可能性があります。",
        "Korean": "파일을 쓸 수 없습니다. 드라이브가 연결되어 있는지 확인하세요.",
        "Simplified": "无法写入文件。驱动器可能已断开连接。",
        "Traditional": "無法寫入檔案。磁碟機可能已中斷連線。",
    },
    "why_explorer_failed": {
        "English": "Windows could not start the File Explorer.",
        "German": "Windows konnte den Datei-Explorer nicht starten.",
        "French": "Windows n'a pas pu lancer l'Explorateur de fichiers.",
        "Spanish": "Windows no pudo iniciar el Explorador de archivos.",
        "Italian": "Windows non è riuscito ad avviare Esplora file.",
        "Portuguese": "O Windows não conseguiu iniciar o Explorador de Arquivos.",
        "Russian": "Windows не удалось запустить проводник.",
        "Arabic": "تعذر على Windows تشغيل مستكشف الملفات.",
        "Japanese": "Windows がエクスプローラーを起動できませんでした。",
        "Korean": "Windows에서 파일 탐색기를 시작할 수 없습니다.",
        "Simplified": "Windows 无法启动文件资源管理器。",
        "Traditional": "Windows 無法啟動檔案總管。",
    },
}

# Per-language layout differences from English.
#   name_font: size of font 6; fonts: extra fonts; heading: element of the "Auto" heading;
#   mirror_pad: left padding of each mirror option; buttons: (width, font, gap before Cancel)
LAYOUT = {
    "English": {},
    "German": {},
    "French": {"mirror_pad": 30},
    "Spanish": {"mirror_pad": 30},
    "Italian": {"mirror_pad": 20},
    "Portuguese": {"mirror_pad": 30},
    "Russian": {"name_font": 16, "fonts": [(7, 13)], "mirror_pad": 25, "buttons": (130, 7, 100)},
    "Arabic": {"mirror_pad": 25},
    "Japanese": {"name_font": 18, "mirror_pad": 10},
    "Korean": {"heading": "Label"},
    "Simplified": {"heading": "Label", "mirror_pad": 25},
    "Traditional": {"mirror_pad": 25},
}

# The all-rows variant's layout differences from the shipped one (any language):
#   panel_top: space above the "Auto" heading (shipped 55; 20 puts the heading level
#   with the camera list); format_gap: gap between the four format lists (shipped 10);
#   format_after: space below them, before the microphone row (shipped 0).
ALL_ROWS_LAYOUT = {"panel_top": 20, "format_gap": 5, "format_after": 10}
SHIPPED_LAYOUT = {"panel_top": 55, "format_gap": 10, "format_after": 0}

# The heights the panel's rows give way to on a low screen: a one-line row down
# to its tallest control (the mirror options, 26), the space above the "Auto"
# heading all of it, a format row to a list two pixels lower than drawn; a
# two-line name keeps its two lines of the small font.
ROW_MIN = 26
HEADING_MIN = 30
FORMAT_ROW = 40
FORMAT_ROW_MIN = 36
LINE_MIN = 18

LANGUAGES = ["English", "French", "German", "Spanish", "Arabic", "Korean", "Russian",
             "Japanese", "Simplified", "Traditional", "Portuguese", "Italian"]


# --- markup helpers --------------------------------------------------------------


def esc(value):
    return (str(value).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


def img(key, corner=None):
    """An image description taking one sprite out of its sheet."""
    left, top, right, bottom = SPRITES[key]
    text = f"file='Orvana\\{sprite_image(key)}' source='{left},{top},{right},{bottom}'"
    if corner:
        text += f" corner='{corner}'"
    return text


class Node:
    def __init__(self, tag, children=None, **attrs):
        self.tag = tag
        # Keyword names cannot hold every attribute name; a trailing underscore is dropped.
        self.attrs = [(k.rstrip("_"), v) for k, v in attrs.items() if v is not None]
        self.children = children or []

    def render(self, depth=0):
        pad = "    " * depth
        attrs = "".join(f' {k}="{esc(v)}"' for k, v in self.attrs)
        if not self.children:
            return [f"{pad}<{self.tag}{attrs} />"]
        lines = [f"{pad}<{self.tag}{attrs}>"]
        for child in self.children:
            lines += child.render(depth + 1)
        lines.append(f"{pad}</{self.tag}>")
        return lines


def spring():
    return Node("HorizontalLayout")


def gap(width):
    return Node("HorizontalLayout", width=width)


# --- the shared layout ------------------------------------------------------------------


class Skin:
    def __init__(self, language, all_rows=False):
        # The rows that the shipped skins hide get visible="false"; shown, they get no
        # attribute (the framework's default).
        self.hidden_row = None if all_rows else "false"
        self.frame = ALL_ROWS_LAYOUT if all_rows else SHIPPED_LAYOUT
        texts = TEXTS[language]
        assert len(texts) == len(ROLES), language
        self.text = dict(zip(ROLES, texts))
        self.language = language
        layout = LAYOUT[language]
        self.name_font_size = layout.get("name_font", BASE_FONTS[F_NAME])
        self.extra_fonts = layout.get("fonts", [])
        self.heading_tag = layout.get("heading", "Button")
        self.mirror_pad = layout.get("mirror_pad", 15)
        self.button_width, self.button_font, self.cancel_gap = layout.get(
            "buttons", (120, F_NAME, 130))

    # A name cell: one label, or two stacked lines for a name given in two parts.
    def name_cell(self, role, width, line_height=18):
        text = self.text[role]
        if isinstance(text, tuple):
            return Node("VerticalLayout", [
                Node("Label", text=line, height=line_height,
                     minheight=LINE_MIN if line_height > LINE_MIN else None, font=F_SMALL,
                     endellipsis="true")
                for line in text], width=width, height=2 * line_height)
        return Node("Label", text=text, width=width, font=F_NAME, endellipsis="true")

    def row_height(self, role, single, double):
        return double if isinstance(self.text[role], tuple) else single

    # The least height a row gives way to: a two-line name keeps both lines.
    def row_min(self, role):
        return 2 * LINE_MIN if isinstance(self.text[role], tuple) else ROW_MIN

    def top_bar(self):
        def title_button(name, kind, visible=None):
            return Node("Button", name=name, width=45, height=45, maxwidth=45, maxheight=45,
                        visible=visible, normalimage=img(f"title.{kind}.normal"),
                        hotimage=img(f"title.{kind}.hot"),
                        pushedimage=img(f"title.{kind}.pushed"))

        return Node("HorizontalLayout", [
            Node("Label", width=110, height=64, padding="0,5,0,0", bkimage="Orvana\\logo.png"),
            gap(25),
            spring(),
            Node("Label", width=520, height=52, padding="0,11,0,0",
                 bkimage="Orvana\\title_text.png"),
            spring(),
            Node("HorizontalLayout", [
                title_button("id_btn_min", "min"),
                title_button("id_btn_max", "max"),
                title_button("id_btn_resetore", "restore", visible="false"),
                title_button("id_btn_close", "close"),
            ], width=135, height=45),
        ], height=74)

    def list_control(self, name, width, height, frame, padding, dropbox, item_font=F_ITEMS):
        return Node(
            "Combo", name=name, text="Empty", width=width, height=height, padding=padding,
            normalimage=img(f"{frame}.normal", "8,0,40,0"),
            hotimage=img(f"{frame}.hot", "8,0,40,0"),
            pushedimage=img(f"{frame}.pushed", "8,0,40,0"),
            focusedimage=img(f"{frame}.normal", "8,0,40,0"),
            disabledimage=img(f"{frame}.disabled", "8,0,40,0"),
            textpadding="15,0,45,0", textcolor=WHITE, dropboxsize=dropbox,
            itemfont=item_font, itemtextpadding="15,0,0,0", itemtextcolor=WHITE,
            itembkcolor=BLACK, itemhottextcolor=WHITE, itemhotbkcolor="0xFF333435",
            itemselectedtextcolor=WHITE, itemselectedbkcolor="0xFF0086B4",
            itemdisabledtextcolor="0xFF666666", itemdisabledbkcolor=BLACK)

    def preview_column(self):
        camera_row = Node("HorizontalLayout", [
            self.list_control("id_combo_cameras", 520, 43, "list43", "25,20,0,0", "0,200"),
            Node("HorizontalLayout", [
                spring(),
                Node("Label", width=8, height=8, padding="0,47,0,0",
                     bkimage="Orvana\\capture_img.png"),
                Node("Label", name="id_cap_time_label", text="00:00", width=70, height=20,
                     padding="6,41,0,0", font=F_TIME, align="center", textcolor=WHITE),
                spring(),
            ], name="id_cap_time_show", visible="false"),
        ], height=80)
        preview = Node("CaptureView", name="id_view_capture", padding="25,0,0,15",
                       bkcolor=BLACK, bordersize="2", bordercolor=WHITE)
        return Node("VerticalLayout", [camera_row, preview])

    # The row of the "Auto" heading also holds the space above it, at its foot, so
    # that this space is the first to give way on a low screen.
    def heading(self):
        return Node("HorizontalLayout", [
            Node(self.heading_tag, text=self.text["heading"], width=60, height=30,
                 padding="460,0,0,0", font=F_NAME, align="center", textcolor=WHITE),
        ], height=self.frame["panel_top"] + 30, minheight=HEADING_MIN, childvalign="bottom")

    def property_row(self, word):
        row_name = {"zoom": "id_property_zoom_visible",
                    "focus": "id_property_focus_visible"}.get(word)
        return Node("HorizontalLayout", [
            self.name_cell(word, 140),
            Node("Label", width=24, height=24, padding="10,0,0,0",
                 bkimage=img(f"icon.{word}.low")),
            Node("Slider", name=f"id_slider_{word}", width=190, height=25, padding="8,0,0,0",
                 min="0", max="100", value="0", thumbsize="12,25",
                 bkimage=img("slider.track", "4,0,4,0"),
                 foreimage=img("slider.progress", "4,0,4,0"),
                 thumbimage=img("thumb.normal"), thumbhotimage=img("thumb.hot"),
                 thumbpushedimage=img("thumb.pushed"),
                 disabledimage=img("slider.disabled", "4,0,4,0")),
            Node("Label", width=24, height=24, padding="8,0,0,0",
                 bkimage=img(f"icon.{word}.high")),
            Node("Label", name=f"id_label_{word}", text="0", width=50, height=25,
                 padding="8,0,0,0", font=F_VALUE, align="center", textcolor=WHITE,
                 bkimage=img("value")),
            Node("Option", name=f"id_btn_auto_{word}", width=20, height=20, padding="18,0,0,0",
                 normalimage=img("check.normal"), hotimage=img("check.hot"),
                 selectedimage=img("check.selected"),
                 selectedhotimage=img("check.selectedhot"),
                 disabledimage=img("check.disabled")),
        ], name=row_name, height=self.row_height(word, 35, 40),
            minheight=self.row_min(word), childvalign="vcenter")

    def mirror_row(self):
        def option(name, selected):
            return Node("Option", name=name, width=26, height=26,
                        padding=f"{self.mirror_pad},0,0,0", group="io_mirro_group",
                        selected=selected, normalimage=img("radio.normal"),
                        hotimage=img("radio.hot"), selectedimage=img("radio.selected"),
                        selectedhotimage=img("radio.selectedhot"),
                        disabledimage=img("radio.disabled"))

        def caption(role):
            return Node("Label", text=self.text[role], font=F_NAME, textpadding="8,0,0,0")

        return Node("HorizontalLayout", [
            self.name_cell("mirror", 190, line_height=20),
            option("id_btn_io_normal", "true"),
            caption("normal"),
            option("id_btn_io_mirrored", None),
            caption("mirrored"),
        ], height=self.row_height("mirror", 35, 40), minheight=self.row_min("mirror"),
            childvalign="vcenter")

    def format_block(self):
        rows = []
        for role, name in (("photo", "id_combo_photo_resolution"),
                           ("video", "id_combo_video_resolution"),
                           ("format", "id_combo_file_format"),
                           ("refresh", "id_combo_refresh_rate")):
            rows.append(Node("HorizontalLayout", [
                self.name_cell(role, 180),
                self.list_control(name, 300, 38, "list38", "20,0,0,0", "0,300", F_FORMATS),
            ], height=FORMAT_ROW, minheight=FORMAT_ROW_MIN, childvalign="vcenter"))
        gap = self.frame["format_gap"]
        after = self.frame["format_after"]
        height = 10 + 4 * FORMAT_ROW + 3 * gap + after
        return Node("VerticalLayout", rows, height=height,
                    minheight=height - 4 * (FORMAT_ROW - FORMAT_ROW_MIN),
                    inset=f"0,10,0,{after}", childpadding=str(gap))

    def volume_row(self, word, text):
        return Node("HorizontalLayout", [
            Node("Label", text=text, width=140, font=F_NAME, endellipsis="true"),
            Node("Slider", name=f"id_slider_{word}", width=190, height=25, padding="42,0,0,0",
                 value="0", min="0", max="99", thumbsize="12,25",
                 # btn_slider.png is not in the shipped archive (its rows are hidden there)
                 bkimage=img("volume.track"), foreimage=img("volume.progress"),
                 thumbimage=img("volume.thumb.normal"), thumbhotimage=img("volume.thumb.hot"),
                 thumbpushedimage=img("volume.thumb.pushed")),
            Node("Label", name=f"id_label_{word}", text="0", width=50, height=25,
                 padding="40,0,0,0", font=F_VALUE, align="center", textcolor=WHITE,
                 bkimage=img("value")),
        ], height=35, minheight=ROW_MIN, childvalign="vcenter", visible=self.hidden_row)

    def panel(self):
        return Node("VerticalLayout", [
            self.heading(),
            *[self.property_row(word) for word in PROPERTIES],
            self.mirror_row(),
            self.format_block(),
            self.volume_row("microphone", "Microphone"),
            self.volume_row("speaker", "Speaker"),
        ], name="id_tab_menu", width=520, padding="20,0,0,0", vscrollbar="true")

    def bottom_bar(self):
        def control(tag, name, kind, padding):
            return Node(tag, name=name, width=68, height=33, padding=padding,
                        normalimage=img(f"control.{kind}.normal"),
                        hotimage=img(f"control.{kind}.hot"),
                        **({"selectedimage": img(f"control.{kind}.selected")} if tag == "Option"
                           else {"pushedimage": img(f"control.{kind}.selected")}))

        def wide(name, role, padding):
            return Node("Button", name=name, text=self.text[role], width=self.button_width,
                        height=38, padding=padding, borderround="5,5", font=self.button_font,
                        align="center", textcolor=WHITE,
                        normalimage=img("wide.normal", "6,6,6,6"),
                        hotimage=img("wide.hot", "6,6,6,6"),
                        pushedimage=img("wide.pushed", "6,6,6,6"),
                        disabledimage=img("wide.disabled", "6,6,6,6"))

        return Node("HorizontalLayout", [
            Node("HorizontalLayout", [
                control("Button", "id_btn_photo", "photo", None),
                control("Option", "id_btn_capture", "record", "20,0,0,0"),
                control("Button", "id_btn_open_dir", "folder", "20,0,0,0"),
            ], width=244, padding="25,0,0,0", childvalign="vcenter", visible=self.hidden_row),
            # The notice beside the picture (empty: nothing to tell). Its column takes
            # the free width whatever the text: a label alone would ask for its text's
            # width and push the buttons out. A cause and its remedy take more than one
            # line: the text wraps onto up to three lines of the small font, and the
            # version label steps aside while a notice shows (the program hides it).
            Node("VerticalLayout", [
                Node("Label", name="id_label_notice", height=67, padding="25,5,10,0",
                     font=F_SMALL, textcolor="0xFFFFD24A", multiline="true"),
            ]),
            Node("HorizontalLayout", [
                Node("Label", name="id_label_version", text="Version:2.02", width=120,
                     font=F_SMALL, textcolor="0xFFA0A0A0"),
                wide("id_btn_default", "default", "20,0,0,0"),
                wide("id_btn_cancel", "cancel", f"{self.cancel_gap},0,0,0"),
                wide("id_btn_apply", "apply", "20,0,0,0"),
            ], width=700, childvalign="vcenter"),
            self.notice_texts(),
        ], height=67, bkcolor=BLACK)

    def notice_texts(self):
        # Never shown: the program reads each text by name.
        return Node("VerticalLayout", [
            Node("Label", name=f"id_text_{key}", text=texts[self.language])
            for key, texts in NOTICES.items()], name="id_notice_texts", visible="false")

    def scroll_defaults(self):
        pairs = []
        for part, prefix in (("up", "button1"), ("down", "button2"), ("thumb", "thumb")):
            corner = "0,4,0,4" if part == "thumb" else None
            for state in ("normal", "hot", "pushed"):
                pairs.append((f"{prefix}{state}image", img(f"scroll.{part}.{state}", corner)))
        pairs.append(("railnormalimage", img("scroll.rail")))
        pairs.append(("bkcolor", "0xFF141414"))
        # The framework reads name="value" pairs separated by exactly one blank.
        return " ".join(f'{name}="{value}"' for name, value in pairs)

    def document(self):
        fonts = [(i, size) for i, size in enumerate(BASE_FONTS)]
        fonts[F_NAME] = (F_NAME, self.name_font_size)
        fonts += self.extra_fonts
        window = Node("Window", [
            *[Node("Font", id=str(i), name=FACE, size=str(size), bold="false",
                   default="true" if i == 0 else None, shared="true") for i, size in fonts],
            Node("Default", name="VScrollBar", shared="true", value=self.scroll_defaults()),
            Node("VerticalLayout", [
                self.top_bar(),
                Node("HorizontalLayout", [self.preview_column(), self.panel()], bkcolor=BLACK),
                Node("HorizontalLayout", height=3, bkcolor=BLUE),
                self.bottom_bar(),
            ], bkcolor=BLUE),
        ], size="1308,800", caption="0,0,0,76", sizebox="4,4,4,4", mininfo="800,600",
            defaultfontcolor=WHITE, minwidth="1289", minheight="759", bordersize="1,0,1,1",
            bordercolor="#FFBCBCBC", inset="1,0,1,1")
        lines = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'] + window.render()
        return "\ufeff" + "\n".join(lines) + "\n"


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    args = argv[1:]
    all_rows = bool(args) and args[0] == "--all-rows"
    if all_rows:
        args = args[1:]
        if len(args) != 1:
            sys.exit("usage: make_skins.py --all-rows SKIN_DIR")
    skin_dir = args[0] if args else os.path.join(root, "skin")
    out_dir = os.path.join(skin_dir, "Orvana")
    os.makedirs(out_dir, exist_ok=True)
    for language in LANGUAGES:
        text = Skin(language, all_rows).document()
        with open(os.path.join(out_dir, f"Orvana_{language}.xml"), "w", encoding="utf-8",
                  newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    main(sys.argv)
