cp "$FIXTURES/sound/tone_22050_m8.wav" tone.wav
