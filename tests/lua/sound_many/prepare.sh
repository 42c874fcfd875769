cp "$FIXTURES/sound/plain_1500ms.ogg" m.ogg
cp "$FIXTURES/sound/tone_22050_m8.wav" t.wav
